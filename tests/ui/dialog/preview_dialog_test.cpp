// The dialog's preview with the real module: zooming in until refused on a large image, panning
// within the image, moving the pattern's centre with the right button, and images and hosts the
// preview must live with (no advanceState, 1 x 1, 30000 x 200, 16-bit with transparency).
#include "params/param_table.h"  // before the host's names (-Wshadow)

#include "dialog_session.h"

#include "plugin/host_interface.h"
#include "ui/dialog/dialog_ids.h"
#include "ui/dialog/preview_math.h"

#include <gtest/gtest.h>

namespace {

class PreviewDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.Loaded()) << session.LoadError(); }
    standin::RunResult Run(standin::Image& image, const std::function<void(DialogView&)>& script) {
        bool ran = false;
        standin::RunResult result = session.Run(image, script, &ran);
        EXPECT_TRUE(ran) << "the dialog did not appear; result " << result.code << " " << result.error;
        return result;
    }
    static SIZE ClientOf(HWND window) {
        RECT r{};
        GetClientRect(window, &r);
        return {r.right, r.bottom};
    }

    DialogSession session;
};

TEST_F(PreviewDialogTest, ZoomInOnA4000By3000ImageUntilRefusedAndBackOut) {
    standin::Image image = PhotographAt(4000, 3000);
    Run(image, [&](DialogView& dialog) {
        HWND in = dialog.Item(IDC_ZOOM_IN), out = dialog.Item(IDC_ZOOM_OUT);
        const SIZE window = ClientOf(dialog.Item(IDC_PREVIEW));
        const float fit = PreviewFitFor(4000, 3000, window.cx, window.cy);
        ASSERT_GE(fit, 8.0f);  // the window is a few hundred pixels wide
        EXPECT_EQ(dialog.Preview()->zoom, fit);
        EXPECT_TRUE(dialog.Enabled(in));
        EXPECT_FALSE(dialog.Enabled(out));
        float scale = 1.0f;
        int clicks = 0;
        while (dialog.Enabled(in) && clicks < 10) {
            const ZoomStep step = ZoomInStep(scale, fit);
            dialog.ClickItem(in);
            ++clicks;
            EXPECT_EQ(dialog.Enabled(in), !step.disable) << clicks;
            scale = step.scale;
            EXPECT_EQ(dialog.Preview()->zoom, PreviewZoomFor(fit, scale)) << clicks;
            EXPECT_TRUE(dialog.Enabled(out));
        }
        EXPECT_EQ(dialog.Preview()->zoom, 1.0f);  // one image pixel per preview pixel
        EXPECT_GT(PictureShare(dialog.PreviewShot()), 0.5);
        // The picture fills the window: nothing is centred at this zoom.
        EXPECT_EQ(dialog.Preview()->originX, 0);
        while (dialog.Enabled(out)) dialog.ClickItem(out);
        EXPECT_EQ(dialog.Preview()->zoom, fit);
        EXPECT_TRUE(dialog.Enabled(in));
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
}

TEST_F(PreviewDialogTest, LeftDragPansAndStopsAtTheImagesEnd) {
    standin::Image image = PhotographAt(4000, 3000);
    Run(image, [&](DialogView& dialog) {
        HWND preview = dialog.Item(IDC_PREVIEW);
        dialog.ClickItem(dialog.Item(IDC_ZOOM_IN));
        const float zoom = dialog.Preview()->zoom;
        const SIZE window = ClientOf(preview);
        const Capture before = dialog.PreviewShot();
        PostLeftDown(preview, 300, 150);
        PostMove(preview, 250, 140, MK_LBUTTON);
        PostMove(preview, 200, 130, MK_LBUTTON);
        PostLeftUp(preview, 200, 130);
        dialog.Pump();
        EXPECT_EQ(dialog.Preview()->offsetX, 100);
        EXPECT_EQ(dialog.Preview()->offsetY, 20);
        EXPECT_EQ(IsDlgButtonChecked(dialog.window, IDC_NAVIGATION), BST_CHECKED);
        EXPECT_GT(DifferingPixels(before, dialog.PreviewShot()), 1000);

        PostLeftDown(preview, 300, 150);
        PostMove(preview, -3000, -3000, MK_LBUTTON);
        PostLeftUp(preview, -3000, -3000);
        dialog.Pump();
        EXPECT_EQ(dialog.Preview()->offsetX, int(4000 / zoom) - window.cx);
        EXPECT_EQ(dialog.Preview()->offsetY, int(3000 / zoom) - window.cy);
        PostLeftDown(preview, 10, 10);
        PostMove(preview, 3000, 3000, MK_LBUTTON);
        PostLeftUp(preview, 3000, 3000);
        dialog.Pump();
        EXPECT_EQ(dialog.Preview()->offsetX, 0);
        EXPECT_EQ(dialog.Preview()->offsetY, 0);
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
}

TEST_F(PreviewDialogTest, RightDragPutsTheCentreUnderThePointer) {
    standin::Image image = Photograph();
    Run(image, [&](DialogView& dialog) {
        HWND preview = dialog.Item(IDC_PREVIEW);
        const PreviewContainer& record = *dialog.Preview();
        const int w = 333, h = 257;  // zoom 1: the whole photograph, centred
        const Capture before = dialog.PreviewShot();
        PostRightDown(preview, record.originX + w / 2, record.originY + h / 2);
        PostMove(preview, record.originX + w / 4, record.originY + h / 4, MK_RBUTTON);
        PostRightUp(preview, record.originX + w / 4, record.originY + h / 4);
        dialog.Pump();
        const RimelaceParams params = session.Record();
        EXPECT_NEAR(params.CenterX, -500.0f, 4.0f);
        EXPECT_NEAR(params.CenterY, 500.0f, 4.0f);
        EXPECT_FLOAT_EQ(dialog.Spin(0, 1026)->value, params.CenterX);
        EXPECT_FLOAT_EQ(dialog.Spin(0, 1027)->value, params.CenterY);
        EXPECT_EQ(IsDlgButtonChecked(dialog.window, IDC_DRAGGING), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog.window, IDC_NAVIGATION), BST_UNCHECKED);
        EXPECT_GT(DifferingPixels(before, dialog.PreviewShot()), 1000);
        dialog.ClickItem(dialog.Item(IDCANCEL));
    });
}

TEST_F(PreviewDialogTest, HostWithoutAdvanceStateGetsTheDialogWithoutAPreview) {
    standin::HostOptions options;
    options.kind = standin::HostKind::NoAdvanceState;
    DialogSession strips(options);
    ASSERT_TRUE(strips.Loaded());
    standin::Image image = Photograph();
    bool ran = false;
    const standin::RunResult result = strips.Run(image, [&](DialogView& dialog) {
        EXPECT_LT(PictureShare(dialog.PreviewShot()), 0.05);  // the cross only
        EXPECT_FALSE(dialog.Enabled(dialog.Item(IDC_ZOOM_IN)));
        EXPECT_FALSE(dialog.Enabled(dialog.Item(IDC_ZOOM_OUT)));
        EXPECT_FALSE(dialog.Enabled(dialog.Item(IDC_UPDATE)));
        dialog.TypeInto(dialog.Spin(0, 1033), "90");
        dialog.Press(VK_TAB);
        dialog.ClickItem(dialog.Item(IDOK));
    }, &ran);
    EXPECT_TRUE(ran);
    ASSERT_EQ(result.code, noErr) << result.error;
    EXPECT_GT(result.trace.continueCalls, 0);  // the strip path rendered it
    EXPECT_NE(image.data, Photograph().data);
    EXPECT_FLOAT_EQ(strips.Record().Width, 90.0f);
}

TEST_F(PreviewDialogTest, HostRefusingThePreviewsRequestGetsTheDialogWithoutAPreview) {
    standin::HostOptions options;
    options.singlePlaneRequests = true;  // the preview asks for every plane at once: refused
    DialogSession refusing(options);
    ASSERT_TRUE(refusing.Loaded());
    standin::Image image = Photograph();
    bool ran = false;
    const standin::RunResult result = refusing.Run(image, [&](DialogView& dialog) {
        EXPECT_LT(PictureShare(dialog.PreviewShot()), 0.05);
        EXPECT_FALSE(dialog.Enabled(dialog.Item(IDC_ZOOM_IN)));
        EXPECT_FALSE(dialog.Enabled(dialog.Item(IDC_UPDATE)));
        dialog.TypeInto(dialog.Spin(0, 1033), "90");
        dialog.Press(VK_TAB);
        EXPECT_TRUE(dialog.Open());
        EXPECT_FLOAT_EQ(refusing.Record().Width, 90.0f);
        dialog.ClickItem(dialog.Item(IDCANCEL));
    }, &ran);
    EXPECT_TRUE(ran);
    EXPECT_EQ(result.code, userCanceledErr);  // the host's refusal does not outlive the dialog
    EXPECT_EQ(image.data, Photograph().data);
}

TEST_F(PreviewDialogTest, TinyAndVeryWideImagesGetAPreview) {
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{30000, 200}}) {
        standin::Image image = PhotographAt(w, h);
        Run(image, [&](DialogView& dialog) {
            const PreviewContainer& record = *dialog.Preview();
            EXPECT_NE(record.bitmap, nullptr) << w;
            EXPECT_NE(record.result, nullptr) << w;
            dialog.ClickItem(dialog.Item(IDC_ZOOM_IN));
            dialog.ClickItem(dialog.Item(IDC_ZOOM_IN));
            EXPECT_NE(dialog.Preview()->bitmap, nullptr) << w;
            dialog.ClickItem(dialog.Item(IDCANCEL));
        });
    }
    standin::Image tiny = PhotographAt(1, 1);
    EXPECT_EQ(Run(tiny, [&](DialogView& dialog) { dialog.ClickItem(dialog.Item(IDOK)); }).code, noErr);
}

TEST_F(PreviewDialogTest, SixteenBitImageWithTransparencyIsPreviewedAndFiltered) {
    const standin::Image photo = Photograph();
    standin::Image image = standin::Image::Make(photo.width, photo.height, 4, 16);
    for (std::int32_t y = 0; y < photo.height; ++y)
        for (std::int32_t x = 0; x < photo.width; ++x) {
            for (int p = 0; p < 3; ++p) image.SetSample(x, y, p, photo.Sample(x, y, p) * 32768 / 255);
            image.SetSample(x, y, 3, x < photo.width / 2 ? 32768 : 16384);
        }
    const standin::Image original = image;
    const standin::RunResult result = Run(image, [&](DialogView& dialog) {
        EXPECT_GT(PictureShare(dialog.PreviewShot()), 0.3);
        dialog.ClickItem(dialog.Item(IDOK));
    });
    EXPECT_EQ(result.code, noErr) << result.error;
    EXPECT_NE(image.data, original.data);
}

}  // namespace
