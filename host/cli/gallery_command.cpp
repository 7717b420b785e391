// rimelace gallery OUTPUT [INPUT]: every effect, a few seeds each, on one labelled contact sheet;
// with --presets, every shipped preset.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "generate/preset_thumbnail.h"
#include "host/cli/commands.h"
#include "host/cli/system.h"
#include "host/cli/demo_picture.h"
#include "host/cli/run_filter.h"
#include "host/cli/shipped_presets.h"
#include "host/cli/tiny_font.h"

namespace rimelace_cli {
namespace {

constexpr const char* kEffects[] = {"Geometric 1", "Geometric 2", "Geometric 3", "Floral 1", "Floral 2",
                                    "Floral 3",    "Single 1",    "Single 2",    "Single 3", "Single 4"};

// The picture as 8-bit RGB without alpha, box-filtered down to `width` columns.
Image Thumbnail(const Image& in, int width) {
    width = std::max(1, std::min(width, in.width));
    const int height = std::max(1, int(double(in.height) * width / in.width + 0.5));
    Image out;
    out.width = width;
    out.height = height;
    out.color = ColorModel::RGB;
    out.depth = 8;
    out.samples.assign(std::size_t(width) * height * 3, 0);
    const int channels = in.Channels();
    const double shift = in.depth == 16 ? 257.0 : 1.0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int x0 = x * in.width / width, x1 = std::max(x0 + 1, (x + 1) * in.width / width);
            const int y0 = y * in.height / height, y1 = std::max(y0 + 1, (y + 1) * in.height / height);
            double sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint16_t* s = &in.samples[(std::size_t(sy) * in.width + sx) * channels];
                    for (int c = 0; c < 3; ++c) {
                        double v;
                        if (in.color == ColorModel::Gray) v = s[0];
                        else if (in.color == ColorModel::RGB) v = s[c];
                        else v = double(in.MaxSample()) - std::min<double>(in.MaxSample(), s[c] + s[3]);  // CMYK, roughly
                        sum[c] += v / shift;
                    }
                }
            const double n = double(x1 - x0) * (y1 - y0);
            for (int c = 0; c < 3; ++c)
                out.samples[(std::size_t(y) * width + x) * 3 + c] = std::uint16_t(std::min(255.0, sum[c] / n + 0.5));
        }
    return out;
}

void Fill(Image& sheet, int x0, int y0, int w, int h, std::uint16_t r, std::uint16_t g, std::uint16_t b) {
    for (int y = std::max(0, y0); y < std::min(sheet.height, y0 + h); ++y)
        for (int x = std::max(0, x0); x < std::min(sheet.width, x0 + w); ++x) {
            std::uint16_t* p = &sheet.samples[(std::size_t(y) * sheet.width + x) * 3];
            p[0] = r;
            p[1] = g;
            p[2] = b;
        }
}

void DrawText(Image& sheet, int x, int y, const std::string& text, int scale) {
    for (char c : text) {
        const std::uint8_t* rows = GlyphRows(c);
        for (int gy = 0; gy < kGlyphHeight; ++gy)
            for (int gx = 0; gx < kGlyphWidth; ++gx)
                if (rows[gy] & (0x10 >> gx)) Fill(sheet, x + gx * scale, y + gy * scale, scale, scale, 235, 240, 248);
        x += kGlyphAdvance * scale;
    }
}

void Paste(Image& sheet, const Image& tile, int x0, int y0) {
    for (int y = 0; y < tile.height; ++y)
        std::copy_n(&tile.samples[std::size_t(y) * tile.width * 3], std::size_t(tile.width) * 3,
                    &sheet.samples[(std::size_t(y0 + y) * sheet.width + x0) * 3]);
}

// One picture of the sheet: its label and how its job differs from the defaults.
struct Tile {
    std::string label;
    std::string preset;
    std::string effect;
    std::vector<std::string> sets;
};

std::vector<Tile> EffectTiles(int seeds) {
    std::vector<Tile> tiles;
    for (const char* effect : kEffects)
        for (int s = 0; s < seeds; ++s)
            tiles.push_back({std::string(effect) + "  SEED " + std::to_string(s), "", effect,
                             {"RandomSeed=" + std::to_string(s)}});
    return tiles;
}

std::vector<Tile> PresetTiles(const std::string& module) {
    std::vector<Tile> tiles;
    for (const std::string& file : PresetFilesIn(ShippedPresetFolder(module)))
        tiles.push_back({PresetDisplayName(file), file, "", {}});
    return tiles;
}

// A preset that grows along the selection is shown along the sample selection (an oval).
bool WantsSelection(const Tile& tile) {
    if (tile.preset.empty()) return false;
    ParamChoices choices;
    choices.preset = tile.preset;
    const RimelaceParams params = GatherParams(choices);
    return params.MaskKind == 7 && params.EffectKind != 3;
}

}  // namespace

void AddGalleryCommand(CLI::App& app) {
    struct State {
        std::string output, input, module;
        int seeds = 2;
        int tile = 320;
        int columns = 3;
        bool presets = false;
        bool quiet = false;
    };
    auto state = std::make_shared<State>();
    CLI::App* command = app.add_subcommand(
        "gallery", "Render all ten effects, a few seeds each (or every shipped preset), onto one labelled contact sheet");
    command->add_option("OUTPUT", state->output, "Contact sheet (PNG, TIFF or JPEG)")->required();
    command->add_option("INPUT", state->input, "Picture to frost (default: the built-in sample picture)");
    command->add_option("--seeds", state->seeds, "Seeds per effect, 0, 1, 2, ... (default 2)")
        ->check(CLI::Range(1, 8));
    command->add_flag("--presets", state->presets,
                      "Show every shipped preset (RimelaceSaves beside the module) instead of the effects; a preset "
                      "that grows along the selection gets an oval selection in the middle of the picture");
    command->add_option("--columns", state->columns, "With --presets: pictures a row (default 3)")
        ->check(CLI::Range(1, 12));
    command->add_option("--tile", state->tile, "Width of one picture in pixels (default 320)")
        ->check(CLI::Range(64, 2000));
    command->add_option("--module", state->module, std::string("Plug-in module (default: ") + sys::kModuleFileName + " beside the program)");
    command->add_flag("--quiet", state->quiet, "Print nothing but errors");
    command->callback([state] {
        Image picture;
        try {
            if (state->input.empty()) {
                const auto bytes = DemoPictureBytes();
                picture = ReadJpegMemory(bytes.data(), bytes.size(), "the built-in sample picture");
            } else {
                picture = ReadImage(state->input);
            }
            FormatForName(state->output);
        } catch (const ImageFileError& error) {
            std::fprintf(stderr, "rimelace: %s\n", error.what());
            ExitStatus() = kExitBadInput;
            return;
        }
        const std::string module = state->module.empty() ? DefaultModulePath() : state->module;
        const std::vector<Tile> tiles = state->presets ? PresetTiles(module) : EffectTiles(state->seeds);
        if (tiles.empty()) {
            std::fprintf(stderr, "rimelace: no shipped presets beside the plug-in module '%s'\n", module.c_str());
            ExitStatus() = kExitFailed;
            return;
        }
        const int columns = state->presets ? std::min<int>(state->columns, int(tiles.size())) : state->seeds;
        const int rows = (int(tiles.size()) + columns - 1) / columns;
        const Image tile = Thumbnail(picture, state->tile);
        const int margin = 8, scale = 2, label = kGlyphHeight * scale + 8;
        Image sheet;
        sheet.width = margin + columns * (tile.width + margin);
        sheet.height = margin + rows * (label + tile.height + margin);
        sheet.color = ColorModel::RGB;
        sheet.depth = 8;
        sheet.samples.assign(std::size_t(sheet.width) * sheet.height * 3, 0);
        Fill(sheet, 0, 0, sheet.width, sheet.height, 24, 28, 36);
        std::vector<std::uint8_t> oval(std::size_t(tile.width) * tile.height);
        FillSampleSelection(oval.data(), tile.width, tile.height);
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            FilterJob job;
            job.params.preset = tiles[i].preset;
            job.params.effect = tiles[i].effect;
            job.params.sets = tiles[i].sets;
            job.quiet = true;
            job.module = module;
            try {
                if (WantsSelection(tiles[i])) job.maskBytes = oval;
            } catch (const ParamError& error) {
                std::fprintf(stderr, "rimelace: %s\n", error.what());
                ExitStatus() = kExitBadInput;
                return;
            }
            Image frosted;
            if (const int status = FilterInMemory(job, tile, &frosted); status != kExitOk) {
                ExitStatus() = status;
                return;
            }
            const int x = margin + int(i) % columns * (tile.width + margin);
            const int y = margin + int(i) / columns * (label + tile.height + margin);
            const int fits = std::max(1, (tile.width + kGlyphAdvance * scale - kGlyphWidth * scale) / (kGlyphAdvance * scale));
            DrawText(sheet, x, y + 2, tiles[i].label.substr(0, std::size_t(fits)), scale);
            Paste(sheet, frosted, x, y + label);
            if (!state->quiet) std::fprintf(stderr, "\r%-40s", tiles[i].label.c_str());
        }
        if (!state->quiet) std::fprintf(stderr, "\n");
        try {
            WriteImage(state->output, sheet);
        } catch (const ImageFileError& error) {
            std::fprintf(stderr, "rimelace: %s\n", error.what());
            ExitStatus() = kExitFailed;
            return;
        }
        ExitStatus() = kExitOk;
    });
}

}  // namespace rimelace_cli
