// One filter run over image files through the stand-in host.

#include "host/cli/run_filter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <limits>
#include <new>
#include <optional>

#include "host/cli/action_file.h"
#include "host/cli/atomic_file.h"
#include "host/cli/host_image.h"
#include "host/cli/interrupt.h"
#include "host/cli/progress.h"
#include "host/cli/result_message.h"
#include "host/cli/scene_export.h"
#include "host/cli/shipped_presets.h"
#include "host/cli/system.h"
#include "host/standin/standin.h"
#include "params/params.h"

#include <cstring>

namespace rimelace_cli {
namespace {

// A reason to stop, with the exit status it gives.
struct Stop {
    int status;
    std::string message;
};

[[noreturn]] void Fail(int status, std::string message) {
    throw Stop{status, std::move(message)};
}

standin::HostKind HostKindFor(const std::string& name) {
    if (name == "photoshop") return standin::HostKind::Photoshop;
    if (name == "premiere") return standin::HostKind::Premiere;
    if (name == "no-advance-state") return standin::HostKind::NoAdvanceState;
    Fail(kExitBadInput, "unknown host \"" + name + "\"; use photoshop, premiere or no-advance-state");
}

std::int16_t PlayInfoCode(PlayInfo info) {
    switch (info) {
    case PlayInfo::DontDisplay:
        return plugInDialogDontDisplay;
    case PlayInfo::Display:
        return plugInDialogDisplay;
    case PlayInfo::Silent:
        return plugInDialogSilent;
    }
    return plugInDialogSilent;
}

standin::Descriptor ToHostDescriptor(const std::vector<DescriptorItem>& items) {
    standin::Descriptor descriptor;
    for (const DescriptorItem& item : items) {
        standin::DescriptorItem out;
        out.key = item.key;
        switch (item.type) {
        case ItemType::Boolean:
            out.type = typeBoolean;
            out.number = item.boolean ? 1 : 0;
            break;
        case ItemType::Integer:
            out.type = typeInteger;
            out.number = item.integer;
            break;
        case ItemType::UnitFloat:
            out.type = typeUnitFloat;
            out.unit = item.unit;
            out.number = item.number;
            break;
        }
        descriptor.items.push_back(out);
    }
    return descriptor;
}

std::vector<DescriptorItem> FromHostDescriptor(const standin::Descriptor& descriptor) {
    std::vector<DescriptorItem> items;
    for (const standin::DescriptorItem& in : descriptor.items) {
        DescriptorItem item;
        item.key = in.key;
        if (in.type == typeBoolean) {
            item.type = ItemType::Boolean;
            item.boolean = in.number != 0;
        } else if (in.type == typeInteger) {
            item.type = ItemType::Integer;
            item.integer = std::int32_t(in.number);
        } else if (in.type == typeUnitFloat) {
            item.type = ItemType::UnitFloat;
            item.unit = in.unit;
            item.number = in.number;
        } else {
            Fail(kExitFailed, "the plug-in recorded '" + CodeText(in.key) + "' as a '" + CodeText(in.type) +
                                  "' value, which action files do not hold");
        }
        items.push_back(item);
    }
    return items;
}

// Fails early, before the run, when the output's folder cannot take a new file.
void CheckWritableFolder(const std::string& path) {
    const std::string folder = sys::FolderOf(path);
    if (const std::string why = sys::FolderProblem(folder); !why.empty())
        Fail(kExitBadInput, "cannot write '" + path + "': the folder '" + folder + "' " + why);
}

// True when two paths name one file, or would once it exists: the same file, or the same name in
// the same folder.
bool SamePlace(const std::string& a, const std::string& b) {
    return sys::SameFile(a, b) ||
           (sys::NameOf(a) == sys::NameOf(b) && sys::SameFile(sys::FolderOf(a), sys::FolderOf(b)));
}

// The outputs must be distinct files, and none of them a file the run reads.
void CheckDistinctFiles(const FilterJob& job) {
    struct Named {
        const char* option;
        const std::string& path;
    };
    const Named outputs[] = {{"the output", job.output}, {"--record", job.record}, {"--export-geometry", job.exportGeometry}};
    const Named inputs[] = {{"the input", job.input}, {"--selection", job.selection}, {"--replay", job.replay},
                            {"--preset", job.params.preset}};
    for (std::size_t i = 0; i < std::size(outputs); ++i) {
        if (outputs[i].path.empty()) continue;
        for (std::size_t j = i + 1; j < std::size(outputs); ++j)
            if (!outputs[j].path.empty() && SamePlace(outputs[i].path, outputs[j].path))
                Fail(kExitBadInput, std::string(outputs[i].option) + " and " + outputs[j].option + " name the same file '" +
                                        outputs[j].path + "'; choose another name");
        for (const Named& input : inputs) {
            if (input.path.empty() || (job.picture && &input.path == &job.input)) continue;
            if (SamePlace(input.path, outputs[i].path))
                Fail(kExitBadInput, std::string(outputs[i].option) + " '" + outputs[i].path + "' is " +
                                        (&input.path == &job.input ? std::string("the input file")
                                                                   : "the file of " + std::string(input.option)) +
                                        "; inputs are never overwritten, choose another name");
        }
    }
}

// Opens an output as its temporary file before the run, so that a path that cannot be written is
// refused before any work is done.
void OpenOutput(std::optional<AtomicOutput>& output, const std::string& path) {
    try {
        output.emplace(path);
    } catch (const OutputFileError& error) {
        Fail(kExitBadInput, error.what());
    }
}

// `what` is "" for the input, or names the file's role ("selection").
Image ReadInput(const std::string& path, const std::string& what) {
    try {
        return ReadImage(path);
    } catch (const ImageFileError& error) {
        Fail(kExitBadInput, (what.empty() ? "" : what + ": ") + error.what());
    }
}

// Writes text into an output's temporary file.
void WriteText(const AtomicOutput& output, const std::string& text) {
    std::FILE* file = std::fopen(output.TempPath().c_str(), "wb");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = file && std::fclose(file) == 0;
    if (!written || !closed)
        Fail(kExitFailed, "cannot write '" + output.Destination() + "': " + std::strerror(errno));
}

// Replaces the temporary name in a writer's message with the name the user gave.
std::string NameDestination(std::string message, const AtomicOutput& output) {
    const auto at = message.find(output.TempPath());
    if (at != std::string::npos) message.replace(at, output.TempPath().size(), output.Destination());
    return message;
}

// The run itself: parameters, host, module, the filter over the host's pixels of an image that
// `source` describes (its samples are not read); the filtered pixels back. Fills *recorded when the
// job records an action, and writes the grown scene when asked.
std::vector<std::uint8_t> FilterHostPixels(const FilterJob& job, standin::HostKind kind, const Image& source,
                                           std::vector<std::uint8_t> pixels, Action* recorded,
                                           const std::string& geometryFile) {
    std::vector<std::uint8_t> mask;
    if (job.maskBytes) {
        if (job.maskBytes->size() != std::size_t(source.width) * std::size_t(source.height))
            Fail(kExitBadInput, "the selection does not cover the image");
        mask = *job.maskBytes;
    } else if (!job.selection.empty()) {
        const Image selection = ReadInput(job.selection, "selection");
        if (selection.width != source.width || selection.height != source.height)
            Fail(kExitBadInput, "selection '" + job.selection + "' is " + std::to_string(selection.width) +
                                    " x " + std::to_string(selection.height) + " pixels but the image is " +
                                    std::to_string(source.width) + " x " + std::to_string(source.height));
        mask = MaskFromImage(selection);
    }

    standin::RunOptions run;
    try {
        if (!job.replay.empty()) {
            const Action action = ReadActionFile(job.replay);
            run.replay = ToHostDescriptor(action.descriptor);
            run.playInfo = PlayInfoCode(action.playInfo);
        } else {
            ParamChoices choices = job.params;
            choices.preset = FindPresetFile(choices.preset, job.module.empty() ? DefaultModulePath() : job.module);
            const RimelaceParams values = job.values ? *job.values : GatherParams(choices);
            run.replay = ToHostDescriptor(DescriptorFromParams(values));
            run.playInfo = plugInDialogSilent;
        }
    } catch (const ActionFileError& error) {
        Fail(kExitBadInput, error.what());
    } catch (const ParamError& error) {
        Fail(kExitBadInput, error.what());
    }
    if (job.dialog) {
        // What a host does for a menu pick with an ellipsis: parameters, then start with the
        // dialog requested; the descriptor carries the values the dialog opens with.
        run.playInfo = plugInDialogDisplay;
    }

    // The host and the run.
    ProgressBar bar(stderr, !job.quiet && IsTerminal(stderr));
    standin::HostOptions options;
    options.kind = kind;
    if (job.maxSpace) {
        options.maxSpace = std::int32_t(*job.maxSpace);
    } else {
        // Enough for the whole image in one strip (the plug-in counts a mask byte and an input and
        // an output byte per plane for each pixel), as a host with plenty of memory offers.
        const std::int64_t perRow = std::int64_t(source.width) * (1 + 2 * source.Channels());
        const std::int64_t whole = perRow * source.height + 1;
        options.maxSpace = std::int32_t(
            std::clamp<std::int64_t>(whole, options.maxSpace, std::numeric_limits<std::int32_t>::max()));
    }
    options.progress = [&bar, &job](std::int32_t done, std::int32_t total) {
        if (job.progress) job.progress(done, total);
        bar.Update(done, total);
    };
    options.callerMergesSelection = job.hostMergesSelection;
    options.abort = [&job] { return Interrupted() || (job.abort && job.abort()); };
    standin::Host host(options);
    const std::string module = job.module.empty() ? DefaultModulePath() : job.module;
    std::string loadError;
    if (!host.Load(module, &loadError)) {
        // The host's text names the module already when it can.
        if (loadError.find(module) == std::string::npos)
            loadError = "cannot load the plug-in module '" + module + "': " + loadError;
        Fail(kExitFailed, loadError + " (choose another with --module)");
    }

    const HostLayout layout = LayoutFor(source);
    standin::Image image;
    image.width = source.width;
    image.height = source.height;
    image.planes = std::int16_t(layout.planes);
    image.imageMode = std::int16_t(layout.imageMode);
    image.depth = layout.depth;
    image.data = std::move(pixels);
    image.mask = std::move(mask);

    // A Ctrl-C from here on reaches the plug-in through abortProc.
    const standin::RunResult result = host.Run(image, run);
    bar.Finish();
    if (Interrupted()) Fail(kExitCancelled, "cancelled (Ctrl-C); nothing was written");
    if (job.dialog && result.code == userCanceledErr)
        Fail(kExitDialogCancelled, "the dialog was cancelled; nothing was written");
    // A cancel the plug-in did not see (it polls between strips) still discards the result.
    if (job.abort && (result.code == userCanceledErr || job.abort())) Fail(kExitCancelled, "cancelled; nothing was changed");
    if (result.code != noErr) {
        const bool known = ResultMessage(result.code).rfind("the plug-in reported error", 0) != 0;
        std::string why = known || result.error.empty() ? ResultMessage(result.code) : result.error;
        Fail(kExitFailed, why + "; nothing was written");
    }

    if (!job.record.empty()) {
        if (!result.recorded) Fail(kExitFailed, "the plug-in recorded no parameters, so '" + job.record + "' was not written");
        recorded->playInfo = PlayInfo::Silent;
        recorded->descriptor = FromHostDescriptor(*result.recorded);
    }

    if (!job.exportGeometry.empty()) {
        RimelaceParams params{};
        const std::vector<std::uint8_t> bytes = host.ParameterBytes();
        if (bytes.size() != sizeof params) Fail(kExitFailed, "the plug-in kept no parameters; no geometry to export");
        std::memcpy(static_cast<void*>(&params), bytes.data(), sizeof params);
        std::string why;
        if (!ExportSceneGeometry(job.exportGeometry, params, source.width, source.height, image.mask, &why,
                                 geometryFile))
            Fail(kExitFailed, why);
    }
    return std::move(image.data);
}

// The same over an image in memory.
Image FilterThroughHost(const FilterJob& job, standin::HostKind kind, const Image& source, Action* recorded,
                        const std::string& geometryFile) {
    Image description;
    description.width = source.width, description.height = source.height;
    description.color = source.color, description.alpha = source.alpha, description.depth = source.depth;
    const std::vector<std::uint8_t> filtered =
        FilterHostPixels(job, kind, description, ToHostPixels(source), recorded, geometryFile);
    Image result = description;
    FromHostPixels(filtered, result);
    return result;
}

// Reads the input file's rows straight into the host's pixels.
HostRows ReadHostInput(const std::string& path) {
    HostRows rows;
    try {
        ReadImageRows(path, rows);
    } catch (const ImageFileError& error) {
        Fail(kExitBadInput, error.what());
    }
    return rows;
}

int Run(const FilterJob& job) {
    InstallInterruptHandler();
    // Everything that can be checked before the run is checked first.
    const standin::HostKind kind = HostKindFor(job.host);
    FileFormat format;
    try {
        format = FormatForName(job.output);
    } catch (const ImageFileError& error) {
        Fail(kExitBadInput, error.what());
    }
    if (job.maxSpace && (*job.maxSpace < 1 || *job.maxSpace > std::numeric_limits<std::int32_t>::max()))
        Fail(kExitBadInput, "--max-space must lie between 1 and " + std::to_string(std::numeric_limits<std::int32_t>::max()));
    const bool ownParams = !job.params.preset.empty() || !job.params.effect.empty() || !job.params.sets.empty();
    if (!job.replay.empty() && ownParams)
        Fail(kExitBadInput, "--replay plays a recorded action as it stands; it cannot be combined with --preset, --effect or --set");

    // The input's rows go straight into the host's pixels, and the result's rows straight from
    // them into the file: no whole image of 16-bit samples either way.
    HostRows input;
    if (job.picture) {
        input.Begin(*job.picture);
        input.pixels = ToHostPixels(*job.picture);
    } else {
        input = ReadHostInput(job.input);
    }
    const Image& source = input.description;
    if (!job.picture && sys::SameFile(job.input, job.output))
        Fail(kExitBadInput, "the output '" + job.output + "' is the input file; the input is never overwritten, choose another name");
    if (const std::string why = CannotHold(format, source); !why.empty())
        Fail(kExitBadInput, "cannot write '" + job.output + "': " + why);
    if (!job.exportGeometry.empty() && !GeometryFileName(job.exportGeometry))
        Fail(kExitBadInput, "--export-geometry: '" + job.exportGeometry + "' must end in .svg or .obj");
    CheckDistinctFiles(job);
    for (const std::string* path : {&job.output, &job.record, &job.exportGeometry})
        if (!path->empty()) CheckWritableFolder(*path);

    // Every output is opened under its temporary name before the run and renamed into place only
    // when all of them are written; whatever fails leaves none of them behind.
    std::optional<AtomicOutput> output, record, geometry;
    OpenOutput(output, job.output);
    if (!job.record.empty()) OpenOutput(record, job.record);
    if (!job.exportGeometry.empty()) OpenOutput(geometry, job.exportGeometry);

    Action recorded;
    const std::vector<std::uint8_t> filtered = FilterHostPixels(job, kind, source, std::move(input.pixels), &recorded,
                                                                geometry ? geometry->TempPath() : "");
    try {
        HostRowSource rows(source, filtered);
        WriteImageRows(output->TempPath(), format, source, rows,
                       job.smallestFile ? PngCompression::Smallest : PngCompression::Fast);
    } catch (const ImageFileError& error) {
        Fail(kExitFailed, NameDestination(error.what(), *output));
    }
    if (record) WriteText(*record, FormatAction(recorded));
    if (Interrupted()) Fail(kExitCancelled, "cancelled (Ctrl-C); nothing was written");
    output->Commit();
    if (record) record->Commit();
    if (geometry) geometry->Commit();
    return kExitOk;
}

} // namespace

std::string DefaultModulePath() {
    const std::string folder = sys::ProgramFolder();
    // Beside the program (the build tree), else where the Linux package puts it: <prefix>/lib/rimelace.
    const std::string beside = folder + "/" + sys::kModuleFileName;
    const std::string installed = folder + "/../lib/rimelace/" + sys::kModuleFileName;
    return !sys::IsFile(beside) && sys::IsFile(installed) ? installed : beside;
}

int FilterInMemory(const FilterJob& job, const Image& source, Image* result, std::string* why) {
    auto tell = [why](const std::string& text) {
        if (why)
            *why = text;
        else
            std::fprintf(stderr, "rimelace: %s\n", text.c_str());
    };
    try {
        Action unused;
        *result = FilterThroughHost(job, HostKindFor(job.host), source, &unused, job.exportGeometry);
        return kExitOk;
    } catch (const Stop& stop) {
        tell(stop.message);
        return stop.status;
    } catch (const std::bad_alloc&) {
        tell("not enough memory for this image");
        return kExitFailed;
    } catch (const std::exception& error) {
        tell(error.what());
        return kExitFailed;
    }
}

int RunFilterJob(const FilterJob& job) {
    try {
        return Run(job);
    } catch (const Stop& stop) {
        std::fprintf(stderr, "rimelace: %s\n", stop.message.c_str());
        return stop.status;
    } catch (const OutputFileError& error) {
        std::fprintf(stderr, "rimelace: %s\n", error.what());
        return kExitFailed;
    } catch (const ActionFileError& error) {
        std::fprintf(stderr, "rimelace: %s\n", error.what());
        return kExitFailed;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rimelace: not enough memory for this image\n");
        return kExitFailed;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "rimelace: %s\n", error.what());
        return kExitFailed;
    }
}

} // namespace rimelace_cli
