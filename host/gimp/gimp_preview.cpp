// Preview rendering: the reduced drawable through the filter, the visible part drawn.

#include "params/param_table.h"  // before the host headers: see param_table.h
#include "host/gimp/gimp_preview.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace rimelace_gimp {
namespace {

std::vector<double> Key(const RimelaceParams& values) {
    std::vector<double> key;
    for (const ParamEntry& entry : ParamTable())
        if (std::string_view(entry.field) != "AutoUpdate") key.push_back(GetFloat(values, entry));
    return key;
}

void Pump() {
    while (gtk_events_pending()) gtk_main_iteration();
}

} // namespace

void PreviewRenderer::DrawablePoint(int x, int y, int* dx, int* dy) const {
    gimp_preview_untransform(preview_, x, y, dx, dy);
}

bool PreviewRenderer::Refresh(const RimelaceParams& values) {
    const double factor = gimp_zoom_preview_get_factor(GIMP_ZOOM_PREVIEW(preview_));
    const double scale = std::min(1.0, factor);
    if (scale != sourceScale_) {
        source_ = ReadDrawable(drawable_, scale, true);
        sourceScale_ = scale;
        haveResult_ = false;
    }
    const std::vector<double> key = Key(values);
    if (haveResult_ && key == resultKey_) return true;
    rimelace_cli::Image out;
    std::string why;
    // The module reports progress as it renders: the dialog stays alive meanwhile, and a change
    // made then discards this render.
    const int status = Filter(
        source_, values, &out, &why, [](double) { Pump(); },
        [this] {
            Pump();
            return again_ || closed_;
        });
    if (status != 0) {
        if (!again_ && !closed_) g_printerr("rimelace-gimp: preview: %s\n", why.c_str());
        return false;
    }
    result_ = std::move(out);
    resultKey_ = key;
    haveResult_ = true;
    ++renders_;
    return true;
}

void PreviewRenderer::Draw() {
    if (!haveResult_ || closed_) return;
    gint width = 0, height = 0;
    gimp_preview_get_size(preview_, &width, &height);
    if (width <= 0 || height <= 0) return;
    const int bpp = result_.alpha ? 4 : 3;
    const int channels = result_.Channels();
    // Preview pixel -> drawable pixel (GIMP's own mapping) -> pixel of the reduced render.
    std::vector<int> column(static_cast<std::size_t>(width)), row(static_cast<std::size_t>(height));
    for (int x = 0; x < width; ++x) {
        int dx, dy;
        DrawablePoint(x, 0, &dx, &dy);
        column[x] = std::clamp(int(std::floor(dx * sourceScale_)), 0, result_.width - 1);
    }
    for (int y = 0; y < height; ++y) {
        int dx, dy;
        DrawablePoint(0, y, &dx, &dy);
        row[y] = std::clamp(int(std::floor(dy * sourceScale_)), 0, result_.height - 1);
    }
    std::vector<guchar> buffer(std::size_t(width) * height * bpp);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t from = (std::size_t(row[y]) * result_.width + column[x]) * channels;
            guchar* to = &buffer[(std::size_t(y) * width + x) * bpp];
            for (int c = 0; c < bpp; ++c) to[c] = guchar(result_.samples[from + c]);
        }
    gimp_preview_draw_buffer(preview_, buffer.data(), width * bpp);
}

void PreviewRenderer::Render(const RimelaceParams& values) {
    pending_ = values;
    if (busy_) {
        again_ = true;
        return;
    }
    busy_ = true;
    do {
        again_ = false;
        const RimelaceParams now = pending_;
        if (Refresh(now) && !again_) Draw();
    } while (again_ && !closed_);
    busy_ = false;
}

} // namespace rimelace_gimp
