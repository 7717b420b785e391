// The command line's scene commands end to end: gallery and --export-geometry.
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"
#include "cli_test_images.h"
#include "host/cli/image_file.h"

namespace rimelace_cli {
namespace {


using testing::ReadBytes;
using testing::RunCli;
using testing::TempFolder;

const std::string kModule = RIMELACE_MODULE;

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(CliScene, ExportGeometryWritesThePathAndTheTrianglesInBothFormats) {
    TempFolder folder;
    rimelace_cli::WriteImage(folder.File("in.png"), testing::SmoothImage(160, 120, ColorModel::RGB));
    for (const char* name : {"scene.svg", "scene.obj"}) {
        const auto r = RunCli({"apply", folder.File("in.png"), folder.File("out.png"), "--quiet", "--module", kModule,
                               "--export-geometry", folder.File(name)});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string text = ReadBytes(folder.File(name));
        if (std::string(name).ends_with(".svg")) {
            EXPECT_NE(text.find("width=\"160\" height=\"120\""), std::string::npos);
            EXPECT_GT(Count(text, "<polygon"), 100);
            EXPECT_GT(Count(text, "<line"), 5);
        } else {
            EXPECT_GT(Count(text, "\nf "), 100);
            EXPECT_GT(Count(text, "\nl "), 5);
            EXPECT_EQ(Count(text, "\nv "), 3 * Count(text, "\nf ") + 2 * Count(text, "\nl "));
        }
    }
    const auto bad = RunCli({"apply", folder.File("in.png"), folder.File("out2.png"), "--quiet", "--module", kModule,
                             "--export-geometry", folder.File("scene.txt")});
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.err.find(".svg or .obj"), std::string::npos) << bad.err;
}

TEST(CliScene, GalleryPutsEveryEffectOnOneSheet) {
    TempFolder folder;
    rimelace_cli::WriteImage(folder.File("in.png"), testing::SmoothImage(200, 150, ColorModel::RGB));
    const auto r = RunCli({"gallery", folder.File("sheet.png"), folder.File("in.png"), "--tile", "64", "--seeds", "1",
                           "--quiet", "--module", kModule});
    ASSERT_EQ(r.status, 0) << r.err;
    const rimelace_cli::Image sheet = rimelace_cli::ReadImage(folder.File("sheet.png"));
    EXPECT_EQ(sheet.width, 8 + 1 * (64 + 8));
    EXPECT_EQ(sheet.height, 8 + 10 * (7 * 2 + 8 + 48 + 8));
}

}  // namespace
}  // namespace rimelace_cli
