// Progress bar drawing.

#include "host/cli/progress.h"

#include <string>

#include "host/cli/system.h"

namespace rimelace_cli {

bool IsTerminal(std::FILE* out) {
    return sys::IsTerminal(out);
}

ProgressBar::ProgressBar(std::FILE* out, bool enabled, int width)
    : out_(out), enabled_(enabled), width_(width) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Update(long long done, long long total) {
    if (!enabled_ || total <= 0) return;
    if (done < 0) done = 0;
    if (done > total) done = total;
    const int percent = int(done * 100 / total);
    if (percent == shown_) return;
    shown_ = percent;
    const int filled = int(done * width_ / total);
    std::string bar =
        "\r[" + std::string(std::size_t(filled), '#') + std::string(std::size_t(width_ - filled), '.') + "] ";
    std::fprintf(out_, "%s%3d%%", bar.c_str(), percent);
    std::fflush(out_);
}

void ProgressBar::Finish() {
    if (!enabled_ || shown_ < 0) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    shown_ = -1;
}

} // namespace rimelace_cli
