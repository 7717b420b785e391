#pragma once
// The dialog's live preview: GIMP's zoomable preview of the drawable, showing the filter's
// result. The drawable is rendered whole at the preview's reduction (at full size once the
// preview magnifies), the same way the final render sees it, and the visible part is shown;
// GIMP's preview merges it through the selection as the final merge will. A change during a
// render stops that render and starts the next; panning reuses the last result.

#include "host/gimp/gimp_apply.h"

#include <libgimp/gimpui.h>

namespace rimelace_gimp {

class PreviewRenderer {
  public:
    PreviewRenderer(gint32 drawable, GimpPreview* preview) : drawable_(drawable), preview_(preview) {}

    // Renders for `values` and draws; re-entered from the event pump, it only notes the newer values.
    void Render(const RimelaceParams& values);
    // The dialog is closing: a render in progress stops at once.
    void Close() { closed_ = true; }

    // The drawable pixel under the preview widget's point (x, y).
    void DrawablePoint(int x, int y, int* dx, int* dy) const;
    gint32 Drawable() const { return drawable_; }
    int Renders() const { return renders_; } // completed renders (for the tests' screenshots)

  private:
    bool Refresh(const RimelaceParams& values); // false when stopped by a newer change
    void Draw();

    gint32 drawable_;
    GimpPreview* preview_;
    double sourceScale_ = -1;
    Pixels source_;
    std::vector<double> resultKey_;
    rimelace_cli::Image result_;
    bool haveResult_ = false;
    bool busy_ = false, again_ = false, closed_ = false;
    RimelaceParams pending_{};
    int renders_ = 0;
};

} // namespace rimelace_gimp
