// The dialog seam. Until the dialog exists every request proceeds with the current parameters,
// which is also the behaviour wanted where there is no window system.
#include "plugin/dialogs.h"

DialogOutcome RunMainDialog(PluginGlobals&) { return DialogOutcome::Proceed; }

void ShowAboutDialog(const AboutRecord&) {}
