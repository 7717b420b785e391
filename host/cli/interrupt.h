#pragma once
// Ctrl-C during a run (SIGINT; the console's Ctrl-C or Ctrl-Break event on Windows). The first
// only raises a flag, which the host's abortProc reports to the plug-in, so the run is cancelled
// in an orderly way and leaves no output. A second ends the process at once (status 130), after
// removing the temporary output file if one is open.

namespace rimelace_cli {

void InstallInterruptHandler();
bool Interrupted();
void ClearInterrupted(); // for tests

// Temporary output files to remove if the process is ended by a second SIGINT. Add returns a
// slot (-1 when all are taken or the path is too long); Remove frees it.
int AddPendingTempFile(const char* path);
void RemovePendingTempFile(int slot);

} // namespace rimelace_cli
