#include "host/cli/set_option.h"

#include "params/param_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

RimelaceParams Defaults() {
    RimelaceParams params{};
    ResetParams(params);
    return params;
}

TEST(SetOptionTest, SetsFieldsByRecordNameWithNumbers) {
    RimelaceParams params = Defaults();
    std::string error;
    EXPECT_TRUE(rimelace_cli::ApplySetOption(params, "Width=80.5", &error)) << error;
    EXPECT_TRUE(rimelace_cli::ApplySetOption(params, " Lenght = -3e1 ", &error)) << error;
    EXPECT_TRUE(rimelace_cli::ApplySetOption(params, "Diffuse=0xFF8000", &error)) << error;
    EXPECT_TRUE(rimelace_cli::ApplySetOption(params, "RandomSeed=-7", &error)) << error;
    EXPECT_TRUE(rimelace_cli::ApplySetOption(params, "UseBackLight=255", &error)) << error;
    EXPECT_TRUE(rimelace_cli::ApplySetOption(params, "Scale=1000", &error)) << error;  // beyond the dialog's range
    EXPECT_EQ(params.Width, 80.5f);
    EXPECT_EQ(params.Lenght, -30.0f);
    EXPECT_EQ(params.Diffuse, 0xFF8000);
    EXPECT_EQ(params.RandomSeed, -7);
    EXPECT_EQ(params.UseBackLight, 255);
    EXPECT_EQ(params.Scale, 1000.0f);
}

TEST(SetOptionTest, BadOptionsGiveOneLineErrorsAndChangeNothing) {
    const struct {
        const char* option;
        const char* mentions;
    } cases[] = {
        {"Wdth=3", "unknown field 'Wdth'"},   {"width=3", "unknown field"},       {"Width", "Field=Value"},
        {"Width=", "no value"},               {"Width=abc", "not a number"},      {"Width=3x", "not a number"},
        {"Width=nan", "not a number"},        {"Width=1e39", "too large"},        {"MaxTriangles=1.5", "whole number"},
        {"UseGlass=256", "outside 0..255"},   {"UseGlass=-1", "outside 0..255"}, {"Color=4294967296", "outside"},
        {"RandomSeed=--1", "whole number"},   {"SceneDirty=1", "unknown field"},
    };
    for (const auto& c : cases) {
        RimelaceParams params = Defaults();
        std::string error;
        EXPECT_FALSE(rimelace_cli::ApplySetOption(params, c.option, &error)) << c.option;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.option << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        const RimelaceParams defaults = Defaults();
        EXPECT_EQ(std::memcmp(&params, &defaults, sizeof params), 0) << c.option;
    }
}

}  // namespace
