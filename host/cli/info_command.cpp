// rimelace info MODULE: the module's PiPL and scripting dictionary as a host reads them, taken
// from the file without loading it (ELF shared objects and Windows PE modules).
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "host/cli/commands.h"
#include "host/cli/run_filter.h"
#include "host/modinfo/byte_reader.h"
#include "host/modinfo/module_file.h"
#include "host/modinfo/plugin_info.h"
#include "params/four_cc.h"
#include "resources/plugin_resources.h"

namespace rimelace_cli {

namespace {

using modinfo::CodeText;

const char* ModeName(int mode) {
    static const char* const names[] = {"Bitmap",    "GrayScale",   "IndexedColor", "RGBColor",  "CMYKColor",
                                        "HSLColor",  "HSBColor",    "Multichannel", "Duotone",   "LabColor",
                                        "Gray16",    "RGB48",       "Lab48",        "CMYK64",    "DeepMultichannel",
                                        "Duotone16", "RGB96",       "Gray32"};
    return mode >= 0 && mode < 18 ? names[mode] : "?";
}

const char* FilterCaseName(int index) {
    static const char* const names[] = {"flat image, no selection",          "flat image, selection",
                                        "floating selection",                "editable transparency, no selection",
                                        "editable transparency, selection",  "protected transparency, no selection",
                                        "protected transparency, selection"};
    return index >= 0 && index < 7 ? names[index] : "extra case";
}

const char* HandlingName(int value) {
    static const char* const names[] = {"cannot filter", "straight data", "black matte", "gray matte",
                                        "white matte",   "defringe",      "black zap",   "gray zap",
                                        "white zap",     "fill mask",     "background zap", "foreground zap"};
    return value >= 0 && value < 12 ? names[value] : "?";
}

std::string FlagsText(std::uint8_t flags) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", flags);
    std::string text = hex;
    std::string parts;
    if (flags & 0x01) parts += ", no source copy";
    if (flags & 0x02) parts += ", blank data";
    if (flags & 0x04) parts += ", layer masks";
    if (flags & 0x08) parts += ", writes outside selection";
    if (!parts.empty()) text += " (" + parts.substr(2) + ")";
    return text;
}

bool Exported(const modinfo::ModuleFile& module, const std::string& name) {
    return std::find(module.exports.begin(), module.exports.end(), name) != module.exports.end();
}

void PrintPipl(const modinfo::ModuleFile& module, const modinfo::PiplInfo& pipl) {
    std::printf("PiPL %d: prefix %u, version %u, %u properties\n", kPiplResourceId, pipl.prefix, pipl.version,
                pipl.count);
    std::printf("  kind      %s%s\n", pipl.kind.c_str(), pipl.kind == "8BFM" ? " (filter)" : "");
    std::printf("  name      %s\n", pipl.name.c_str());
    std::printf("  category  %s\n", pipl.category.c_str());
    std::printf("  version   %u.%u\n", pipl.interfaceVersion >> 16, pipl.interfaceVersion & 0xFFFF);
    // The entry a host of this module's architecture uses.
    const bool x64 = module.bits == 64;
    for (auto [key, name] : {std::pair{"wx86", &pipl.entryX86}, {"8664", &pipl.entryX64}}) {
        if (name->empty()) continue;
        const bool used = (std::string(key) == "8664") == x64;
        std::printf("  entry     %s %s%s%s\n", key, name->c_str(), used ? " (used by this module's hosts" : "",
                    used ? (Exported(module, *name) ? ", exported)" : ", NOT exported)") : "");
    }
    std::string modes;
    for (int mode : pipl.modes) modes += (modes.empty() ? "" : ", ") + std::string(ModeName(mode));
    std::printf("  modes     %s\n", modes.c_str());
    if (!pipl.enableExpression.empty()) std::printf("  enable    %s\n", pipl.enableExpression.c_str());
    for (std::size_t i = 0; i < pipl.filterCases.size(); ++i) {
        const modinfo::FilterCase& c = pipl.filterCases[i];
        std::printf("  case %zu    %s: in %s, out %s, flags %s, flags2 0x%02X\n", i + 1, FilterCaseName(int(i)),
                    HandlingName(c.inputHandling), HandlingName(c.outputHandling), FlagsText(c.flags1).c_str(),
                    c.flags2);
    }
    if (pipl.hasTerminology)
        std::printf("  scripting version %u, class '%s', event '%s', dictionary %d, scope %s\n", pipl.terminologyVersion,
                    CodeText(pipl.terminologyClass).c_str(), CodeText(pipl.terminologyEvent).c_str(),
                    pipl.dictionaryId, pipl.scope.c_str());
}

void PrintAete(const modinfo::AeteInfo& aete, int id) {
    std::printf("Dictionary (AETE %d): header %u %u %u %u, %zu suite(s)\n", id, aete.header[0], aete.header[1],
                aete.header[2], aete.header[3], aete.suites.size());
    for (const modinfo::AeteSuite& suite : aete.suites) {
        std::printf("  suite \"%s\" (\"%s\"), code '%s', level %u, version %u\n", suite.name.c_str(),
                    suite.description.c_str(), CodeText(suite.code).c_str(), suite.level, suite.version);
        for (const modinfo::AeteEvent& event : suite.events) {
            std::printf("  event \"%s\" (\"%s\"), class '%s', id '%s', reply '%s', direct '%s' flags 0x%04X\n",
                        event.name.c_str(), event.description.c_str(), CodeText(event.eventClass).c_str(),
                        CodeText(event.eventId).c_str(), CodeText(event.replyType).c_str(),
                        CodeText(event.directType).c_str(), event.directFlags);
            std::printf("  %zu scripting keys:\n", event.parameters.size());
            for (const modinfo::AeteParameter& p : event.parameters)
                std::printf("    '%s' %s  %-14s %s\n", CodeText(p.key).c_str(), CodeText(p.type).c_str(),
                            p.name.c_str(), p.description.c_str());
        }
    }
}

int Fail(int status, const std::string& message) {
    std::cerr << "rimelace: " << message << "\n";
    return status;
}

int InfoCommand(const std::string& path) {
    modinfo::ModuleFile module;
    std::string error;
    if (!modinfo::ReadModuleFile(path, &module, &error)) return Fail(kExitBadInput, error);
    std::printf("Module %s: %s, %s, %d-bit\n", path.c_str(), module.format.c_str(), module.machine.c_str(),
                module.bits);
    const modinfo::ModuleResource* piplResource = module.Find("PIPL", kPiplResourceId);
    if (!piplResource) return Fail(kExitBadInput, path + ": no PiPL resource " + std::to_string(kPiplResourceId));
    modinfo::PiplInfo pipl;
    if (!modinfo::ParsePipl(piplResource->bytes, &pipl, &error)) return Fail(kExitBadInput, path + ": " + error);
    PrintPipl(module, pipl);
    if (!pipl.hasTerminology) return kExitOk;
    const modinfo::ModuleResource* aeteResource = module.Find("AETE", pipl.dictionaryId);
    if (!aeteResource)
        return Fail(kExitBadInput, path + ": the PiPL names dictionary " + std::to_string(pipl.dictionaryId) +
                                       " but the module has no such AETE resource");
    modinfo::AeteInfo aete;
    if (!modinfo::ParseAete(aeteResource->bytes, &aete, &error)) return Fail(kExitBadInput, path + ": " + error);
    PrintAete(aete, pipl.dictionaryId);
    return kExitOk;
}

}  // namespace

void AddInfoCommand(CLI::App& app) {
    auto module = std::make_shared<std::string>();
    CLI::App* info = app.add_subcommand("info", "Show a plug-in module's PiPL and scripting dictionary");
    info->add_option("MODULE", *module, "Plug-in module (liblorvex.so, Lorvex.8bf)")->required();
    info->callback([module] { ExitStatus() = InfoCommand(*module); });
}

}  // namespace rimelace_cli
