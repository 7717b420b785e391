#pragma once
// Balloon tooltips for toolkit controls and dialog items.

#include <windows.h>

// Gives `window` a balloon tooltip covering its client area: one "tooltips_class32" window per
// call, owned by the window (so it goes with the dialog), wrapping at 100 pixels. `title`, when not
// null, heads the balloon with the information icon. The texts are not copied: they must outlive
// the dialog (string constants). Does nothing for a null window or text, or when the tooltip
// window cannot be created.
void AttachTooltip(HWND window, const char* text, const char* title = nullptr);
