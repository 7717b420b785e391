#pragma once
// Ctrl-C during a run. The first SIGINT only raises a flag, which the host's abortProc reports
// to the plug-in, so the run is cancelled in an orderly way and leaves no output. A second
// SIGINT ends the process at once, after removing the temporary output file if one is open.

namespace rimelace_cli {

void InstallInterruptHandler();
bool Interrupted();
void ClearInterrupted();  // for tests

// The temporary output file to remove if the process is ended by a second SIGINT (nullptr: none).
void SetPendingTempFile(const char* path);

}  // namespace rimelace_cli
