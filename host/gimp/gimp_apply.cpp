// Drawable pixels in and out, the selection, and the run through the stand-in host.

#include "host/gimp/gimp_apply.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "host/cli/run_filter.h"

namespace rimelace_gimp {
namespace {

bool LinearCurve(gint32 image) {
    switch (gimp_image_get_precision(image)) {
    case GIMP_PRECISION_U8_LINEAR:
    case GIMP_PRECISION_U16_LINEAR:
    case GIMP_PRECISION_U32_LINEAR:
    case GIMP_PRECISION_HALF_LINEAR:
    case GIMP_PRECISION_FLOAT_LINEAR:
    case GIMP_PRECISION_DOUBLE_LINEAR:
        return true;
    default:
        return false;
    }
}

bool EightBit(gint32 image) {
    const GimpPrecision p = gimp_image_get_precision(image);
    return p == GIMP_PRECISION_U8_LINEAR || p == GIMP_PRECISION_U8_GAMMA;
}

// The format pixels cross in: the drawable's own space and curve, 8 or 16 bits per sample.
const Babl* EdgeFormat(gint32 drawable, int depth) {
    const gint32 image = gimp_item_get_image(drawable);
    std::string name = LinearCurve(image) ? "RGB" : "R'G'B'";
    if (gimp_drawable_has_alpha(drawable)) name += "A";
    name += depth == 8 ? " u8" : " u16";
    return babl_format_with_space(name.c_str(), gimp_drawable_get_format(drawable));
}

void ReportProgress(double fraction) { gimp_progress_update(std::clamp(fraction, 0.0, 1.0)); }

std::string Folder(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// A test cancels one render part-way through, as the progress bar's cancel does: the file named by
// RIMELACE_GIMP_CANCEL_FILE holds the fraction; it is removed when read, so it acts once.
double TestCancelFraction() {
    const char* path = std::getenv("RIMELACE_GIMP_CANCEL_FILE");
    if (!path) return 2.0;
    std::FILE* file = std::fopen(path, "r");
    if (!file) return 2.0;
    double fraction = 2.0;
    if (std::fscanf(file, "%lf", &fraction) != 1) fraction = 2.0;
    std::fclose(file);
    std::remove(path);
    return fraction;
}

} // namespace

std::string Refusal(gint32 drawable) {
    if (!gimp_item_is_drawable(drawable)) return "Rimelace needs a layer or channel to work on";
    if (gimp_drawable_is_rgb(drawable)) return "";
    const char* mode = gimp_drawable_is_indexed(drawable) ? "indexed" : "grayscale";
    return std::string("Rimelace frosts RGB images only; this image is ") + mode +
           ". Convert it first with Image > Mode > RGB";
}

Pixels ReadDrawable(gint32 drawable, double scale, bool forPreview) {
    Pixels pixels;
    const gint32 image = gimp_item_get_image(drawable);
    const int depth = forPreview || EightBit(image) ? 8 : 16;
    const bool alpha = gimp_drawable_has_alpha(drawable);
    GeglBuffer* buffer = gimp_drawable_get_buffer(drawable);
    const int fullW = gegl_buffer_get_width(buffer), fullH = gegl_buffer_get_height(buffer);
    const int w = std::max(1, int(std::lround(fullW * scale))), h = std::max(1, int(std::lround(fullH * scale)));
    rimelace_cli::Image& out = pixels.image;
    out.width = w;
    out.height = h;
    out.color = rimelace_cli::ColorModel::RGB;
    out.alpha = alpha;
    out.depth = depth;
    out.samples.resize(out.SampleCount());
    const GeglRectangle rect = {0, 0, w, h};
    if (depth == 8) {
        std::vector<std::uint8_t> bytes(out.SampleCount());
        gegl_buffer_get(buffer, &rect, scale, EdgeFormat(drawable, 8), bytes.data(), GEGL_AUTO_ROWSTRIDE,
                        GEGL_ABYSS_NONE);
        std::copy(bytes.begin(), bytes.end(), out.samples.begin());
    } else {
        gegl_buffer_get(buffer, &rect, scale, EdgeFormat(drawable, 16), out.samples.data(), GEGL_AUTO_ROWSTRIDE,
                        GEGL_ABYSS_NONE);
    }
    g_object_unref(buffer);

    if (!gimp_selection_is_empty(image)) {
        gint ox = 0, oy = 0;
        gimp_drawable_offsets(drawable, &ox, &oy);
        GeglBuffer* selection = gimp_drawable_get_buffer(gimp_image_get_selection(image));
        const GeglRectangle area = {int(std::lround(ox * scale)), int(std::lround(oy * scale)), w, h};
        pixels.mask.assign(std::size_t(w) * std::size_t(h), 0);
        gegl_buffer_get(selection, &area, scale, babl_format("Y u8"), pixels.mask.data(), GEGL_AUTO_ROWSTRIDE,
                        GEGL_ABYSS_NONE);
        g_object_unref(selection);
    }
    return pixels;
}

std::string OwnFolder() {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    return length > 0 ? Folder(std::string(self, std::size_t(length))) : ".";
}

std::string ModulePath() {
    // Beside the plug-in (the per-user install), else the package's place relative to GIMP's
    // plug-in folder: <prefix>/lib/gimp/2.0/plug-ins/rimelace-gimp -> <prefix>/lib/rimelace.
    const std::string beside = OwnFolder() + "/liblorvex.so";
    if (access(beside.c_str(), R_OK) == 0) return beside;
    return OwnFolder() + "/../../../../rimelace/liblorvex.so";
}

int Filter(const Pixels& pixels, const RimelaceParams& values, rimelace_cli::Image* result, std::string* why,
           std::function<void(double)> progress, std::function<bool()> cancel) {
    rimelace_cli::FilterJob job;
    job.values = values;
    if (!pixels.mask.empty()) job.maskBytes = pixels.mask;
    job.module = ModulePath();
    job.quiet = true;
    job.hostMergesSelection = true;
    if (progress)
        job.progress = [progress](std::int32_t done, std::int32_t total) {
            if (total > 0) progress(double(done) / total);
        };
    job.abort = std::move(cancel);
    return rimelace_cli::FilterInMemory(job, pixels.image, result, why);
}

GimpPDBStatusType ApplyToDrawable(gint32 drawable, const RimelaceParams& values, std::string* why) {
    if (std::string refusal = Refusal(drawable); !refusal.empty()) {
        *why = refusal;
        return GIMP_PDB_EXECUTION_ERROR;
    }
    gint x = 0, y = 0, w = 0, h = 0;
    if (!gimp_drawable_mask_intersect(drawable, &x, &y, &w, &h)) return GIMP_PDB_SUCCESS; // nothing selected here

    gimp_progress_init("Rimelace");
    const Pixels pixels = ReadDrawable(drawable);
    rimelace_cli::Image result;
    const double cancelFraction = TestCancelFraction();
    double reached = 0;
    const int status = Filter(
        pixels, values, &result, why, [&reached](double f) {
            reached = std::max(reached, f);
            ReportProgress(f);
        },
        [&reached, cancelFraction] { return reached >= cancelFraction; });
    if (status == rimelace_cli::kExitCancelled) {
        gimp_progress_end();
        return GIMP_PDB_CANCEL;
    }
    if (status != 0) {
        gimp_progress_end();
        return GIMP_PDB_EXECUTION_ERROR;
    }

    // Into the shadow buffer; GIMP merges it through the selection as one undo step.
    const rimelace_cli::Image& out = result;
    GeglBuffer* shadow = gimp_drawable_get_shadow_buffer(drawable);
    const GeglRectangle rect = {0, 0, out.width, out.height};
    if (out.depth == 8) {
        std::vector<std::uint8_t> bytes(out.samples.begin(), out.samples.end());
        gegl_buffer_set(shadow, &rect, 0, EdgeFormat(drawable, 8), bytes.data(), GEGL_AUTO_ROWSTRIDE);
    } else {
        gegl_buffer_set(shadow, &rect, 0, EdgeFormat(drawable, 16), out.samples.data(), GEGL_AUTO_ROWSTRIDE);
    }
    g_object_unref(shadow);
    gimp_drawable_merge_shadow(drawable, TRUE);
    gimp_drawable_update(drawable, x, y, w, h);
    gimp_progress_update(1.0);
    gimp_progress_end();
    return GIMP_PDB_SUCCESS;
}

} // namespace rimelace_gimp
