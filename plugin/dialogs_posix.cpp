// Without a window system there is no dialog: every request proceeds with the current parameters
// (the command line and the other front ends set them themselves). The Windows dialogs are in
// ui/dialog/.
#include "plugin/dialogs.h"

DialogOutcome RunMainDialog(PluginGlobals&) { return DialogOutcome::Proceed; }

void ShowAboutDialog(const AboutRecord&) {}
