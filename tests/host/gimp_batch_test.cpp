// The GIMP plug-in in GIMP's batch mode (`gimp -i -b`, one session for all cases): the procedure
// on a real photograph, with and without a selection, equals `rimelace apply` with the same
// values and selection byte for byte; a cancelled render leaves the image as it was; grey and
// indexed images are refused with a clear message; a layer with transparency equals the command
// line on the same RGBA pixels; 1 x 1 and 30000 x 200 drawables, 16-bit and float
// images are filtered.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli_test_images.h"
#include "host/cli/image_file.h"
#include "params/param_table.h"
#include "params/preset_file.h"

namespace rimelace_cli {
namespace {

using testing::FileExists;
using testing::MaxDifference;
using testing::TempFolder;

const std::string kPhoto = RIMELACE_TEST_PHOTO;

// The 46 arguments after the drawable, as Script-Fu literals.
std::string ScriptArguments(const RimelaceParams& p) {
    std::ostringstream out;
    for (const ParamEntry& e : ParamTable()) {
        if (e.rangeKind == RangeKind::Colour) {
            const std::int32_t c = GetInteger(p, e);
            out << " '(" << (c & 255) << " " << ((c >> 8) & 255) << " " << ((c >> 16) & 255) << ")";
        } else if (e.ref.type == FieldType::F32) {
            char text[64];
            std::snprintf(text, sizeof text, " %.9g", GetFloat(p, e));
            out << text;
            if (std::string(text).find_first_of(".e") == std::string::npos) out << ".0";
        } else {
            out << " " << GetInteger(p, e);
        }
    }
    return out.str();
}

void WritePresetFile(const std::string& path, const RimelaceParams& p) {
    StringPresetOutput out;
    ASSERT_TRUE(WritePresetHeader(out) && WritePreset(p, out));
    testing::WriteBytes(path, out.Bytes());
}

// A mask picture: white where selected, black elsewhere.
Image MaskPicture(int w, int h, bool ellipse) {
    Image m;
    m.width = w;
    m.height = h;
    m.samples.assign(m.SampleCount(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = (x - w * 0.45) / (w * 0.3), dy = (y - h * 0.55) / (h * 0.35);
            const bool in = ellipse ? dx * dx + dy * dy < 1 : (x >= w / 5 && x < w * 3 / 4 && y >= h / 6 && y < h * 2 / 3);
            if (in)
                for (int c = 0; c < 3; ++c) m.samples[(std::size_t(y) * w + x) * 3 + c] = 255;
        }
    return m;
}

// The photograph with an alpha plane: partly transparent over its left half (from nearly clear
// at the edge to opaque at the middle, never fully clear), opaque elsewhere.
Image WithAlpha(const Image& photo) {
    Image out = photo;
    out.alpha = true;
    out.samples.resize(out.SampleCount());
    const int half = std::max(1, photo.width / 2);
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x) {
            const std::size_t p = std::size_t(y) * photo.width + x;
            for (int c = 0; c < 3; ++c) out.samples[p * 4 + c] = photo.samples[p * 3 + c];
            out.samples[p * 4 + 3] = std::uint16_t(x < half ? 1 + x * 254 / half : 255);
        }
    return out;
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One case of the session: a self-contained Script-Fu expression (batch commands share no
// variables) with `img` and `d` bound to the image and its drawable.
std::string Case(const std::string& image, const std::string& body) {
    return "(let* ((img " + image + ") (d (car (gimp-image-get-active-drawable img)))) " + body + ")";
}

std::string Load(const std::string& path) {
    return "(car (gimp-file-load RUN-NONINTERACTIVE \"" + path + "\" \"" + path + "\"))";
}

std::string Save(const std::string& path) {
    return " (gimp-file-save RUN-NONINTERACTIVE img (car (gimp-image-get-active-drawable img)) \"" + path + "\" \"" +
           path + "\")";
}

std::string Filter(const std::string& args) {
    return " (plug-in-rimelace RUN-NONINTERACTIVE img (car (gimp-image-get-active-drawable img))" + args + ")";
}

// Selects the white pixels of a mask picture, hard-edged.
std::string SelectMask(const std::string& mask) {
    return " (let ((m (car (gimp-file-load-layer RUN-NONINTERACTIVE img \"" + mask + "\"))))"
           " (gimp-image-insert-layer img m 0 0)"
           " (gimp-context-set-antialias FALSE) (gimp-context-set-feather FALSE)"
           " (gimp-context-set-sample-threshold 0) (gimp-context-set-sample-merged FALSE)"
           " (gimp-image-select-color img CHANNEL-OP-REPLACE m '(255 255 255))"
           " (gimp-image-remove-layer img m))";
}

// A new RGB image of one colour.
std::string NewImage(int w, int h) {
    const std::string ws = std::to_string(w), hs = std::to_string(h);
    return "(let* ((i (car (gimp-image-new " + ws + " " + hs + " RGB))) (l (car (gimp-layer-new i " + ws + " " + hs +
           " RGB-IMAGE \"bg\" 100 LAYER-MODE-NORMAL))))"
           " (gimp-image-insert-layer i l 0 0) (gimp-context-set-foreground '(40 90 150))"
           " (gimp-drawable-fill l FILL-FOREGROUND) i)";
}

class GimpBatch : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        const std::string plugins = folder_->File("profile/plug-ins/rimelace-gimp");
        ASSERT_EQ(Shell("mkdir -p '" + plugins + "' && cp '" RIMELACE_GIMP_PLUGIN "' '" RIMELACE_MODULE "' '" RIMELACE_TRIVANE
                      "' '" + plugins + "/'"),
                  0);
        ASSERT_EQ(Shell("cp '" + kPhoto + "' '" + folder_->File("photo.png") + "'"), 0);
        photo_ = ReadImage(folder_->File("photo.png"));
        WriteImage(folder_->File("rect.png"), MaskPicture(photo_.width, photo_.height, false));
        WriteImage(folder_->File("ellipse.png"), MaskPicture(photo_.width, photo_.height, true));
        WriteImage(folder_->File("alpha.png"), WithAlpha(photo_));

        ResetParams(v1_);
        v1_.EffectKind = 1;
        v1_.PatternKind = 2;
        v1_.RandomSeed = 7;
        v1_.MaskKind = 4;
        v1_.Diffuse = 0x3060C0;
        ResetParams(v2_);
        v2_.MaskKind = 7;
        v2_.Scale = 80;
        v2_.CenterX = 200;
        v2_.CenterY = -150;
        v2_.UseGlass = 0;
        WritePresetFile(folder_->File("v1.ipt"), v1_);
        WritePresetFile(folder_->File("v2.ipt"), v2_);
        testing::WriteBytes(folder_->File("cancel-once"), "0.3");

        const std::string f = folder_->Path() + "/";
        ASSERT_EQ(Shell("mkdir -p '" + f + "profile/gradients'"), 0); // GIMP wants its data folders
        const std::string a1 = ScriptArguments(v1_), a2 = ScriptArguments(v2_);
        RimelaceParams defaults{};
        ResetParams(defaults);
        const std::string a0 = ScriptArguments(defaults);
        const std::string photo = Load(f + "photo.png");
        const std::vector<std::string> batch = {
            // The cancel file is read by the first render of the session; the image is saved after.
            Case(photo, "(catch #f" + Filter(a1) + ")" + Save(f + "gimp-cancelled.png")),
            Case(photo, Filter(a1) + Save(f + "gimp-plain.png")),
            Case(photo, SelectMask(f + "rect.png") + Filter(a1) + Save(f + "gimp-rect.png")),
            Case(photo, SelectMask(f + "ellipse.png") + Filter(a2) + Save(f + "gimp-ellipse.png")),
            // A feathered selection, saved as a picture too (GIMP's selection copied into a new image).
            Case(photo, "(gimp-context-set-feather TRUE) (gimp-context-set-feather-radius 40 40)"
                        " (gimp-image-select-ellipse img CHANNEL-OP-REPLACE 90 50 260 190)" +
                            Filter(a1) + Save(f + "gimp-feathered.png") +
                            " (gimp-edit-copy (car (gimp-image-get-selection img)))"
                            " (let ((s (car (gimp-edit-paste-as-new-image))))"
                            " (gimp-file-save RUN-NONINTERACTIVE s (car (gimp-image-get-active-drawable s)) \"" +
                            f + "feather-mask.png\" \"" + f + "feather-mask.png\"))"),
            Case(Load(f + "alpha.png"), Filter(a1) + Save(f + "gimp-alpha.png")),
            Case(Load(f + "alpha.png"), SelectMask(f + "rect.png") + Filter(a2) + Save(f + "gimp-alpha-rect.png")),
            Case(photo, "(gimp-image-convert-grayscale img)" + Filter(a0)),
            Case(photo, "(gimp-image-convert-indexed img CONVERT-DITHER-NONE CONVERT-PALETTE-GENERATE 16 FALSE FALSE \"\")" +
                            Filter(a0)),
            Case(NewImage(1, 1), Filter(a0) + Save(f + "gimp-tiny.png")),
            Case(NewImage(30000, 200), Save(f + "wide-in.png") + Filter(a0) + Save(f + "gimp-wide.png")),
            Case(photo, "(gimp-image-convert-precision img PRECISION-U16-GAMMA)" + Filter(a1) + Save(f + "gimp-deep.png")),
            Case(photo, "(gimp-image-convert-precision img PRECISION-FLOAT-LINEAR)" + Filter(a1) +
                            " (gimp-image-convert-precision img PRECISION-U8-GAMMA)" + Save(f + "gimp-float.png")),
            "(gimp-quit 0)"};
        std::string command = "cd '" + folder_->Path() + "' && GIMP2_DIRECTORY='" + folder_->File("profile") +
                              "' RIMELACE_GIMP_CANCEL_FILE='" + folder_->File("cancel-once") +
                              "' timeout 500 gimp -i -d -f --batch-interpreter plug-in-script-fu-eval";
        for (const std::string& b : batch) {
            std::string quoted = b;
            for (std::size_t at = 0; (at = quoted.find('\'', at)) != std::string::npos; at += 4) quoted.replace(at, 1, "'\\''");
            command += " -b '" + quoted + "'";
        }
        command += " >'" + f + "gimp.out' 2>&1";
        gimpStatus_ = Shell(command);
        log_ = testing::ReadBytes(f + "gimp.out");
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }

    static std::string Apply(const std::string& in, const std::string& out, const std::vector<std::string>& extra) {
        std::string command = "'" RIMELACE_CLI "' apply '" + in + "' '" + out + "' --quiet --module '" RIMELACE_MODULE "'";
        for (const std::string& e : extra) command += " '" + e + "'";
        return Shell(command + " 2>&1") == 0 ? out : "";
    }

    static TempFolder* folder_;
    static Image photo_;
    static RimelaceParams v1_, v2_;
    static int gimpStatus_;
    static std::string log_;
};
TempFolder* GimpBatch::folder_ = nullptr;
Image GimpBatch::photo_;
RimelaceParams GimpBatch::v1_{}, GimpBatch::v2_{};
int GimpBatch::gimpStatus_ = -1;
std::string GimpBatch::log_;

TEST_F(GimpBatch, TheProcedureOnAPhotographEqualsTheCommandLineByteForByte) {
    ASSERT_EQ(gimpStatus_, 0) << log_;
    const std::string f = folder_->Path() + "/";
    const std::string cli = Apply(f + "photo.png", f + "cli-plain.png", {"--preset", f + "v1.ipt"});
    ASSERT_FALSE(cli.empty());
    ASSERT_TRUE(FileExists(f + "gimp-plain.png")) << log_;
    const Image gimp = ReadImage(f + "gimp-plain.png");
    EXPECT_EQ(MaxDifference(gimp, ReadImage(cli)), 0);
    EXPECT_GT(MaxDifference(gimp, photo_), 0); // it did frost the picture
}

TEST_F(GimpBatch, WithASelectionTheResultEqualsTheCommandLineWithThatSelection) {
    ASSERT_EQ(gimpStatus_, 0) << log_;
    const std::string f = folder_->Path() + "/";
    struct Case {
        const char* gimp;
        const char* mask;
        const char* preset;
    };
    for (const Case& c : {Case{"gimp-rect.png", "rect.png", "v1.ipt"}, Case{"gimp-ellipse.png", "ellipse.png", "v2.ipt"}}) {
        const std::string cli = Apply(f + "photo.png", f + "cli-" + c.mask, {"--preset", f + c.preset, "--selection", f + c.mask});
        ASSERT_FALSE(cli.empty()) << c.mask;
        ASSERT_TRUE(FileExists(f + c.gimp)) << log_;
        const Image gimp = ReadImage(f + c.gimp);
        // The command line's result inside the (hard-edged) selection, the photograph outside: what
        // a host that masks the output by the selection shows, once.
        const Image mask = ReadImage(f + c.mask);
        Image expected = ReadImage(cli);
        ASSERT_EQ(expected.samples.size(), photo_.samples.size());
        for (std::size_t i = 0; i < expected.samples.size(); ++i)
            if (mask.samples[i] == 0) expected.samples[i] = photo_.samples[i];
        EXPECT_EQ(MaxDifference(gimp, expected), 0) << c.mask;
        EXPECT_GT(MaxDifference(gimp, photo_), 0) << c.mask;
    }
}

// GIMP merges the result through the selection; the stand-in host must not blend by it as well.
// GIMP mixes in linear light: with a feathered edge of strength m, one merge gives
// lin(photo) + (lin(filtered) - lin(photo)) * m; a second blend would make that m squared.
TEST_F(GimpBatch, AFeatheredSelectionIsAppliedOnce) {
    ASSERT_EQ(gimpStatus_, 0) << log_;
    const std::string f = folder_->Path() + "/";
    ASSERT_TRUE(FileExists(f + "gimp-feathered.png") && FileExists(f + "feather-mask.png")) << log_;
    const Image gimp = ReadImage(f + "gimp-feathered.png");
    const Image plain = ReadImage(f + "gimp-plain.png"); // the same values without a selection
    const Image mask = ReadImage(f + "feather-mask.png");
    ASSERT_EQ(mask.width, photo_.width);
    ASSERT_EQ(mask.height, photo_.height);
    const int maskChannels = mask.Channels();
    auto lin = [](double v) {
        v /= 255;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    auto gam = [](double v) { return 255 * (v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055); };
    double worstOnce = 0;
    int feathered = 0, farFromTwice = 0;
    for (std::size_t p = 0; p < std::size_t(photo_.width) * photo_.height; ++p) {
        const double m = mask.samples[p * maskChannels] / 255.0;
        for (int c = 0; c < 3; ++c) {
            const double in = photo_.samples[p * 3 + c], out = plain.samples[p * 3 + c];
            const double got = gimp.samples[p * 3 + c];
            const double once = gam(lin(in) + (lin(out) - lin(in)) * m);
            const double twice = gam(lin(in) + (lin(out) - lin(in)) * m * m);
            worstOnce = std::max(worstOnce, std::abs(got - once));
            if (m > 0.2 && m < 0.8 && std::abs(out - in) > 40) {
                ++feathered;
                if (std::abs(got - twice) > std::abs(got - once) + 2) ++farFromTwice;
            }
        }
    }
    EXPECT_LE(worstOnce, 2.0);
    ASSERT_GT(feathered, 1000); // the feather crosses the pattern
    EXPECT_GT(farFromTwice, feathered * 9 / 10);
}

// A layer with transparency: its alpha is the module's transparency plane, as the command line
// makes it of an RGBA file, so the result equals the command line's on the same pixels, alpha
// included, with and without a selection.
TEST_F(GimpBatch, ALayerWithTransparencyEqualsTheCommandLineAndKeepsItsAlpha) {
    ASSERT_EQ(gimpStatus_, 0) << log_;
    const std::string f = folder_->Path() + "/";
    const Image input = ReadImage(f + "alpha.png");
    ASSERT_TRUE(input.alpha);
    struct Case {
        const char* gimp;
        const char* cli;
        const char* preset;
        const char* mask; // nullptr for none
    };
    for (const Case& c : {Case{"gimp-alpha.png", "cli-alpha.png", "v1.ipt", nullptr},
                          Case{"gimp-alpha-rect.png", "cli-alpha-rect.png", "v2.ipt", "rect.png"}}) {
        std::vector<std::string> extra = {"--preset", f + c.preset};
        if (c.mask) extra.insert(extra.end(), {"--selection", f + c.mask});
        const std::string cli = Apply(f + "alpha.png", f + c.cli, extra);
        ASSERT_FALSE(cli.empty()) << c.cli;
        ASSERT_TRUE(FileExists(f + c.gimp)) << log_;
        const Image gimp = ReadImage(f + c.gimp);
        ASSERT_TRUE(gimp.alpha) << c.gimp;
        Image expected = ReadImage(cli);
        ASSERT_EQ(expected.samples.size(), input.samples.size()) << c.cli;
        if (c.mask) { // GIMP keeps the unselected pixels, as with the opaque photograph
            const Image mask = ReadImage(f + c.mask);
            for (std::size_t p = 0; p < std::size_t(input.width) * input.height; ++p)
                if (mask.samples[p * 3] == 0)
                    for (int k = 0; k < 4; ++k) expected.samples[p * 4 + k] = input.samples[p * 4 + k];
        }
        EXPECT_EQ(MaxDifference(gimp, expected), 0) << c.gimp;
        // The frost is opaque: where it crosses a partly transparent pixel the alpha rises. It is
        // never lowered, and a pixel the pattern leaves alone keeps its alpha with its colour.
        std::size_t lowered = 0, untouchedButChanged = 0, raised = 0, frosted = 0;
        for (std::size_t p = 0; p < std::size_t(input.width) * input.height; ++p) {
            const int before = input.samples[p * 4 + 3], after = gimp.samples[p * 4 + 3];
            bool colourKept = true;
            for (int k = 0; k < 3; ++k) colourKept = colourKept && gimp.samples[p * 4 + k] == input.samples[p * 4 + k];
            lowered += after < before;
            raised += after > before;
            frosted += !colourKept;
            untouchedButChanged += colourKept && after != before;
        }
        EXPECT_EQ(lowered, 0u) << c.gimp;
        // (Now and then the frost gives a pixel its own colour exactly: not left alone, though it looks it.)
        EXPECT_LE(untouchedButChanged, frosted / 1000) << c.gimp;
        EXPECT_GT(raised, 100u) << c.gimp;   // the pattern crosses the transparent half
        EXPECT_GT(frosted, 1000u) << c.gimp; // it did frost the picture
    }
}

TEST_F(GimpBatch, ACancelledRenderLeavesTheImageAsItWas) {
    ASSERT_EQ(gimpStatus_, 0) << log_;
    ASSERT_TRUE(FileExists(folder_->File("gimp-cancelled.png"))) << log_;
    EXPECT_EQ(MaxDifference(ReadImage(folder_->File("gimp-cancelled.png")), photo_), 0);
    EXPECT_FALSE(FileExists(folder_->File("cancel-once"))); // read by that render
}

TEST_F(GimpBatch, GreyAndIndexedImagesAreRefusedWithAClearMessage) {
    ASSERT_EQ(gimpStatus_, 0) << log_;
    EXPECT_NE(log_.find("Rimelace frosts RGB images only; this image is grayscale"), std::string::npos) << log_;
    EXPECT_NE(log_.find("Rimelace frosts RGB images only; this image is indexed"), std::string::npos) << log_;
}

TEST_F(GimpBatch, TinyWideDeepAndFloatDrawablesAreFiltered) {
    ASSERT_EQ(gimpStatus_, 0) << log_;
    const std::string f = folder_->Path() + "/";
    ASSERT_TRUE(FileExists(f + "gimp-tiny.png")) << log_;
    EXPECT_EQ(ReadImage(f + "gimp-tiny.png").width, 1);
    ASSERT_TRUE(FileExists(f + "gimp-wide.png")) << log_;
    const std::string cli = Apply(f + "wide-in.png", f + "cli-wide.png", {});
    ASSERT_FALSE(cli.empty());
    EXPECT_EQ(MaxDifference(ReadImage(f + "gimp-wide.png"), ReadImage(cli)), 0);
    ASSERT_TRUE(FileExists(f + "gimp-deep.png")) << log_;
    const Image deep = ReadImage(f + "gimp-deep.png");
    EXPECT_EQ(deep.depth, 16);
    EXPECT_EQ(deep.width, photo_.width);
    ASSERT_TRUE(FileExists(f + "gimp-float.png")) << log_;
    EXPECT_GT(MaxDifference(ReadImage(f + "gimp-float.png"), photo_), 0);
    // Every failure in the session is one of the expected ones.
    std::size_t errors = 0;
    for (std::size_t at = 0; (at = log_.find("execution error", at)) != std::string::npos; ++at) ++errors;
    EXPECT_EQ(errors, 2u) << log_; // grey and indexed (the cancelled call is caught)
}

} // namespace
} // namespace rimelace_cli
