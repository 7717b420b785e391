#pragma once
// The progress bar on stderr, fed by the host's progressProc: "[#######.....]  58%" redrawn in
// place. Drawn only to a terminal (or when forced, for tests); --quiet draws nothing.

#include <cstdio>

namespace rimelace_cli {

class ProgressBar {
  public:
    // `enabled` false draws nothing. Width is the number of cells between the brackets.
    ProgressBar(std::FILE* out, bool enabled, int width = 40);
    ~ProgressBar(); // ends the line if anything was drawn

    // done of total; total <= 0 is ignored. Redraws only when the shown percentage changes.
    void Update(long long done, long long total);
    // Ends the bar's line (so messages after it start on a fresh line).
    void Finish();

  private:
    std::FILE* out_;
    bool enabled_;
    int width_;
    int shown_ = -1; // percentage on screen, -1 before the first draw
};

// True when `out` is a terminal.
bool IsTerminal(std::FILE* out);

} // namespace rimelace_cli
