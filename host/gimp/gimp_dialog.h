#pragma once
// The Rimelace dialog in GIMP's toolkit: the preview, the render-mode and effect lists, presets,
// "Alpha cut", and the "Geometry" and "Material" pages. Every control, with its label, range and
// tooltip, comes from the parameter table.

#include <libgimp/gimp.h>

#include "params/params.h"

namespace rimelace_gimp {

// Runs the dialog over `values` (edited in place). True when the user chose OK.
bool RunDialog(gint32 drawable, RimelaceParams& values);

} // namespace rimelace_gimp
