// rimelace gallery OUTPUT [INPUT]: every effect, a few seeds each, on one labelled contact sheet.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "host/cli/commands.h"
#include "host/cli/system.h"
#include "host/cli/demo_picture.h"
#include "host/cli/run_filter.h"
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

}  // namespace

void AddGalleryCommand(CLI::App& app) {
    struct State {
        std::string output, input, module;
        int seeds = 2;
        int tile = 320;
        bool quiet = false;
    };
    auto state = std::make_shared<State>();
    CLI::App* command = app.add_subcommand(
        "gallery", "Render all ten effects, a few seeds each, onto one labelled contact sheet");
    command->add_option("OUTPUT", state->output, "Contact sheet (PNG, TIFF or JPEG)")->required();
    command->add_option("INPUT", state->input, "Picture to frost (default: the built-in sample picture)");
    command->add_option("--seeds", state->seeds, "Seeds per effect, 0, 1, 2, ... (default 2)")
        ->check(CLI::Range(1, 8));
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
        const Image tile = Thumbnail(picture, state->tile);
        const int margin = 8, scale = 2, label = kGlyphHeight * scale + 8;
        Image sheet;
        sheet.width = margin + state->seeds * (tile.width + margin);
        sheet.height = margin + 10 * (label + tile.height + margin);
        sheet.color = ColorModel::RGB;
        sheet.depth = 8;
        sheet.samples.assign(std::size_t(sheet.width) * sheet.height * 3, 0);
        Fill(sheet, 0, 0, sheet.width, sheet.height, 24, 28, 36);
        for (int e = 0; e < 10; ++e)
            for (int s = 0; s < state->seeds; ++s) {
                FilterJob job;
                job.params.effect = kEffects[e];
                job.params.sets = {"RandomSeed=" + std::to_string(s)};
                job.quiet = true;
                job.module = state->module;
                Image frosted;
                if (const int status = FilterInMemory(job, tile, &frosted); status != kExitOk) {
                    ExitStatus() = status;
                    return;
                }
                const int x = margin + s * (tile.width + margin);
                const int y = margin + e * (label + tile.height + margin);
                DrawText(sheet, x, y + 2, std::string(kEffects[e]) + "  SEED " + std::to_string(s), scale);
                Paste(sheet, frosted, x, y + label);
                if (!state->quiet) std::fprintf(stderr, "\r%s, seed %d   ", kEffects[e], s);
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
