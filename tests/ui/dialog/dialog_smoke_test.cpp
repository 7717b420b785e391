// The 32-bit build's one dialog program: the real module's dialog opens over a photograph, shows a
// rendered preview, and closes with OK (the image is filtered) and with Cancel (nothing changes).
#include "dialog_session.h"

#include "plugin/host_interface.h"
#include "ui/dialog/dialog_ids.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogSmokeTest, OpensWithAPreviewAndClosesWithOkAndWithCancel) {
    DialogSession session;
    ASSERT_TRUE(session.Loaded()) << session.LoadError();
    const standin::Image photo = Photograph();

    standin::Image image = photo;
    bool ran = false;
    standin::RunResult result = session.Run(image, [&](DialogView& dialog) {
        EXPECT_GT(PictureShare(dialog.PreviewShot()), 0.3);
        dialog.TypeInto(dialog.Spin(0, 1033), "80");
        dialog.Press(VK_RETURN);
        EXPECT_TRUE(dialog.Open());
        dialog.ClickItem(dialog.Item(IDOK));
    }, &ran);
    EXPECT_TRUE(ran);
    EXPECT_EQ(result.code, noErr) << result.error;
    EXPECT_NE(image.data, photo.data);
    EXPECT_FLOAT_EQ(session.Record().Width, 80.0f);

    image = photo;
    ran = false;
    result = session.Run(image, [&](DialogView& dialog) {
        dialog.TypeInto(dialog.Spin(0, 1033), "20");
        dialog.Press(VK_TAB);
        dialog.ClickItem(dialog.Item(IDCANCEL));
    }, &ran);
    EXPECT_TRUE(ran);
    EXPECT_EQ(result.code, userCanceledErr);
    EXPECT_EQ(image.data, photo.data);
    EXPECT_FLOAT_EQ(session.Record().Width, 80.0f);
}

}  // namespace
