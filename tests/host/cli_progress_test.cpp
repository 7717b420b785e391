// The progress bar: drawn in place, only on change, never when disabled.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/cli/progress.h"

namespace rimelace_cli {
namespace {

std::string Drawn(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += char(c);
    return text;
}

TEST(ProgressBar, DrawsPercentagesInPlaceAndEndsTheLine) {
    std::FILE* file = std::tmpfile();
    {
        ProgressBar bar(file, true, 10);
        bar.Update(0, 4);
        bar.Update(1, 4);
        bar.Update(1, 4); // no change, no redraw
        bar.Update(9, 4); // clamped to 100 %
        bar.Update(5, 0); // no total: ignored
    }
    EXPECT_EQ(Drawn(file), "\r[..........]   0%\r[##........]  25%\r[##########] 100%\n");
    std::fclose(file);
}

TEST(ProgressBar, DisabledDrawsNothing) {
    std::FILE* file = std::tmpfile();
    {
        ProgressBar bar(file, false);
        bar.Update(1, 2);
        bar.Finish();
    }
    EXPECT_EQ(Drawn(file), "");
    std::fclose(file);
}

} // namespace
} // namespace rimelace_cli
