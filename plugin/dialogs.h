#pragma once
// The plug-in's dialogs as the shell sees them. The Windows dialogs plug in here; elsewhere (no
// window system) the dialog requests proceed with the current parameters.

#include "plugin/host_interface.h"

struct PluginGlobals;

enum class DialogOutcome {
    Proceed,    // run the filter with the (possibly edited) parameters
    Cancelled,  // the user cancelled: the parameters are restored and userCanceledErr written
};

// The main dialog, raised at start when QueryForParameters is set.
DialogOutcome RunMainDialog(PluginGlobals& globals);

// The about box (selector 0), parented to the host window of about.platformData.
void ShowAboutDialog(const AboutRecord& about);
