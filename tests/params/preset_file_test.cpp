#include "params/preset_file.h"

#include "params/param_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

RimelaceParams Defaults() {
    RimelaceParams params;
    std::memset(&params, 0, sizeof params);
    ResetParams(params);
    return params;
}

std::string Written(const RimelaceParams& params) {
    StringPresetOutput out;
    EXPECT_TRUE(WritePresetHeader(out));
    EXPECT_TRUE(WritePreset(params, out));
    return out.Bytes();
}

// Reads `bytes` (header included) over `params`; false when the header does not match.
bool Load(RimelaceParams& params, const std::string& bytes) {
    MemoryPresetInput in(bytes);
    if (!CheckPresetHeader(in)) return false;
    EXPECT_EQ(ReadPreset(params, in), 0);
    return true;
}

bool SameRecord(const RimelaceParams& a, const RimelaceParams& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every field set to a value unlike its default; floats with more than six decimals.
RimelaceParams Unusual() {
    RimelaceParams params = Defaults();
    int n = 0;
    for (const ParamEntry& entry : ParamTable()) {
        ++n;
        switch (entry.presetKind) {
            case PresetKind::Byte: SetInteger(params, entry, 200 + n); break;
            case PresetKind::Integer: SetInteger(params, entry, -1000003 * n); break;
            case PresetKind::Float: SetFloat(params, entry, -123.4567891 * n); break;
        }
    }
    return params;
}

const char kDefaultPreset[] =
    "Sol Rimelace1\n"
    "pUtA 1 \t\t\t\t;Auto Apdates \n"
    "XntC 0.000000 \t\t\t\t;Center X \n"
    "YntC 0.000000  \n"
    "MdnR 5 \t\t\t\t;RenderMode \n"
    "KksM 5 \t\t\t\t;MaskKind \n"
    "KrtP 3 \t\t\t\t;PatternKind \n"
    "DwrG 1 \t\t\t\t;GrowDirect \n"
    "SdnR 0 \t\t\t\t;RandomSeed\n"
    "nInM 25.000000 \t\t\t\t;MinInterval \n"
    "tIxM 3 \t\t\t\t;MaxIterations\n"
    "rTxM 3 \t\t\t\t;MaxTriangles\n"
    "htdW 60.000000 \t\t\t\t;Width \n"
    "hgnL 15.000000 \t\t\t\t;Lenght \n"
    "pmoC 100.000000 \t\t\t\t;Completance \n"
    "sDmC 100.000000 \t\t\t\t;CompletanceDist \n"
    "rpsD 6.250000 \t\t\t\t;Dispers \n"
    "DIsL 15.000000 \t\t\t\t;LoseInitDir \n"
    "neLP 10.000000 \t\t\t\t;PLenght \n"
    "diWP 10.000000 \t\t\t\t;PWidth \n"
    "pDnI 0.000000 \t\t\t\t;IntervDepend \n"
    "elcS 100.000000 \t\t\t\t;Scale \n"
    "ffiD 12632256 \t\t\t\t;Diffuse\n"
    "cepS 16777215 \t\t\t\t;Speculare\n"
    "nihS 15.000000 \t\t\t\t;Shininess \n"
    "tShS 100.000000 \t\t\t\t;Shinstrength \n"
    "lIlS 10.000000 \t\t\t\t;SelfIllumination \n"
    "snrT 0.000000 \t\t\t\t;Transparancy \n"
    "PpmB 20.000000 \t\t\t\t;BumpPercent \n"
    "crfR -50.000000 \t\t\t\t;Refraction \n"
    "ffeK 75.000000 \t\t\t\t;Koefficient \n"
    "rbbA 20.000000 \t\t\t\t;Aberration \n"
    "lCgL 16777215 \t\t\t\t;LightColor\n"
    "lAgL 0.000000 \t\t\t\t;LightAlpha \n"
    "tBgL 45.000000 \t\t\t\t;LightBeta \n"
    "tMgL 100.000000 \t\t\t\t;LightMultiplay \n"
    "kBsU 1 \t\t\t\t;UseBackLight \n"
    "CplA 0 \t\t\t\t;AlphaCut \n"
    "lGsU 1 \t\t\t\t;UseGlass \n"
    "nKfE 2 \t\t\t\t;EffectKind \n"
    "nruT 180.000000 \t\t\t\t;Turn \n"
    "1nrT 180.000000 \t\t\t\t;Turn1 \n"
    "1TxM 15 \t\t\t\t;MaxTriangles1\n"
    "XttR 0.000000 \t\t\t\t;RotateX \n"
    "hplA 0.000000 \t\t\t\t;Alpha \n"
    "ateB 45.000000 \t\t\t\t;Beta \n"
    "rloC 65535 \t\t\t\t;Color\n";

TEST(PresetFileTest, DefaultPresetHasExactBytes) { EXPECT_EQ(Written(Defaults()), std::string(kDefaultPreset)); }

TEST(PresetFileTest, RoundTripKeepsEveryField) {
    const RimelaceParams original = Unusual();
    RimelaceParams loaded = Defaults();
    ASSERT_TRUE(Load(loaded, Written(original)));
    for (const ParamEntry& entry : ParamTable()) {
        if (entry.presetKind == PresetKind::Float) {
            double want = GetFloat(original, entry);
            EXPECT_NEAR(GetFloat(loaded, entry), want, 5e-7 + std::abs(want) * 1e-7) << entry.field;
        } else {
            EXPECT_EQ(GetInteger(loaded, entry), GetInteger(original, entry)) << entry.field;
        }
    }
    // Written again, the loaded record gives the same bytes.
    EXPECT_EQ(Written(loaded), Written(original));
}

TEST(PresetFileTest, ByteLinesStoreTheLowByte) {
    RimelaceParams params = Defaults();
    ASSERT_TRUE(Load(params, "Sol Rimelace1\nkBsU 300 \t\t\t\t;UseBackLight \npUtA 257\n"));
    EXPECT_EQ(params.UseBackLight, 44);
    EXPECT_EQ(params.AutoUpdate, 1);  // the 32-bit field takes the low byte as its value
    ASSERT_TRUE(Load(params, "Sol Rimelace1\npUtA -1\n"));
    EXPECT_EQ(params.AutoUpdate, 255);
}

TEST(PresetFileTest, CarriageReturnLineEndsLoadTheSameValues) {
    const std::string lf = Written(Unusual());
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    RimelaceParams fromLf = Defaults(), fromCrLf = Defaults(), fromCr = Defaults();
    ASSERT_TRUE(Load(fromLf, lf));
    // The header itself must end in a line feed; the lines after it may end in carriage returns.
    ASSERT_TRUE(Load(fromCrLf, "Sol Rimelace1\n" + crlf.substr(15)));
    ASSERT_TRUE(Load(fromCr, "Sol Rimelace1\n" + cr.substr(14)));
    EXPECT_TRUE(SameRecord(fromLf, fromCrLf));
    EXPECT_TRUE(SameRecord(fromLf, fromCr));
    EXPECT_FALSE(SameRecord(fromLf, Defaults()));
}

TEST(PresetFileTest, LastLineWithoutLineFeedIsNotLoaded) {
    RimelaceParams params = Defaults();
    ASSERT_TRUE(Load(params, "Sol Rimelace1\nhtdW 12.5 \t\t\t\t;Width \nhgnL 3.0 \t\t\t\t;Lenght "));
    EXPECT_EQ(params.Width, 12.5f);
    EXPECT_EQ(params.Lenght, 15.0f);
}

TEST(PresetFileTest, KeyInReadingOrderDoesNotSetTheField) {
    RimelaceParams params = Defaults();
    ASSERT_TRUE(Load(params, "Sol Rimelace1\nAtUp 0 \t\t\t\t;Auto Apdates \nWdth 3.0\n"));
    EXPECT_TRUE(SameRecord(params, Defaults()));
}

TEST(PresetFileTest, OnlyAHeaderLeavesTheRecordUnchanged) {
    RimelaceParams params = Unusual();
    params.RowsPerChunk = 77;
    const RimelaceParams before = params;
    ASSERT_TRUE(Load(params, "Sol Rimelace1\n"));
    EXPECT_TRUE(SameRecord(params, before));
}

TEST(PresetFileTest, HeaderMustMatchByteForByte) {
    for (const char* bad : {"Sol Rimelace2\nhtdW 1\n", "sol Rimelace1\nhtdW 1\n", "Sol Rimelace1\r\nhtdW 1\n",
                            "Sol Rimelace", ""}) {
        MemoryPresetInput in{std::string_view(bad)};
        EXPECT_FALSE(CheckPresetHeader(in)) << bad;
    }
}

TEST(PresetFileTest, MalformedLinesAreSkippedOrReadAsFarAsTheyGo) {
    RimelaceParams params = Defaults();
    ASSERT_TRUE(Load(params,
                     "Sol Rimelace1\n"
                     "; a comment line\n"
                     "ab\n"
                     "ZZZZ 5\n"
                     "   htdW\t\t 2,5e1 \n"      // leading spaces and tabs; the comma ends the number
                     "SdnR 1.5\n"               // integer line: digits up to the first other character
                     "tIxM \n"                  // empty number: 0
                     "hgnL 1e2x\n"              // exponent read, then the 'x' ends the number
                     "rTxM 99999999999999\n"));  // saturates
    EXPECT_EQ(params.Width, 2.0f);
    EXPECT_EQ(params.RandomSeed, 1);
    EXPECT_EQ(params.MaxIterations, 0);
    EXPECT_EQ(params.Lenght, 100.0f);
    EXPECT_EQ(params.MaxTriangles, 2147483647);
}

TEST(PresetFileTest, HugeAndTinyFloatsStayFinite) {
    RimelaceParams params = Defaults();
    ASSERT_TRUE(Load(params, "Sol Rimelace1\nhtdW 1e999\nhgnL -1e999\nnInM 1e-999\nrpsD 1e300\n"));
    EXPECT_EQ(params.Width, std::numeric_limits<float>::max());
    EXPECT_EQ(params.Lenght, -std::numeric_limits<float>::max());
    EXPECT_EQ(params.MinInterval, 0.0f);
    EXPECT_EQ(params.Dispers, std::numeric_limits<float>::max());
}

TEST(PresetFileTest, HighBytesAndControlBytesEndALine) {
    RimelaceParams params = Defaults();
    ASSERT_TRUE(Load(params, std::string("Sol Rimelace1\nhtdW 12\xE9hgnL 3\n", 30)));
    EXPECT_EQ(params.Width, 12.0f);
    EXPECT_EQ(params.Lenght, 3.0f);
}

TEST(PresetFileTest, OverlongLineIsCutAndItsRestSkipped) {
    // 1023 characters are kept; what follows, up to the line end, is dropped, so text past the
    // cut never turns into a line of its own.
    std::string line = "htdW 77 ;";
    line.resize(1023, 'x');
    line += "hgnL 33 ";
    line.append(5000, 'y');
    line += "\nrpsD 4\n";
    RimelaceParams params = Defaults();
    ASSERT_TRUE(Load(params, "Sol Rimelace1\n" + line));
    EXPECT_EQ(params.Width, 77.0f);
    EXPECT_EQ(params.Lenght, 15.0f);
    EXPECT_EQ(params.Dispers, 4.0f);

    // An overlong last line without a line end is not loaded either.
    std::string unfinished = "htdW 5 ";
    unfinished.append(3000, 'z');
    ASSERT_TRUE(Load(params, "Sol Rimelace1\n" + unfinished));
    EXPECT_EQ(params.Width, 77.0f);
}

class FailingOutput final : public PresetOutput {
public:
    explicit FailingOutput(int failAt) : failAt_(failAt) {}
    bool Write(const char*, std::size_t) override { return ++writes_ != failAt_; }
    int writes_ = 0;
private:
    int failAt_;
};

TEST(PresetFileTest, WriterWritesOneLinePerFieldAndReportsAnyFailedWrite) {
    FailingOutput never(-1);
    EXPECT_TRUE(WritePreset(Defaults(), never));
    EXPECT_EQ(never.writes_, 46);
    FailingOutput early(3);  // a failure before the last write still counts
    EXPECT_FALSE(WritePreset(Defaults(), early));
}

TEST(PresetFileTest, FileAdaptersReadAndWriteTheSameBytes) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    FilePresetOutput out(file);
    ASSERT_TRUE(WritePresetHeader(out));
    ASSERT_TRUE(WritePreset(Unusual(), out));
    std::rewind(file);
    FilePresetInput in(file);
    RimelaceParams params = Defaults();
    ASSERT_TRUE(CheckPresetHeader(in));
    ReadPreset(params, in);
    std::fclose(file);
    EXPECT_EQ(Written(params), Written(Unusual()));
}

}  // namespace
