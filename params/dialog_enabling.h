#pragma once
// Which parameter controls the dialog enables for each entry of the effect list: the growth
// controls that an effect does not read are disabled. Every dialog (the plug-in's own and the
// GIMP one) takes this table.

#include "params/param_table.h"

// True when the control of `entry` is enabled while the effect list shows `effectIndex` (0..9;
// other values count as 0). Rows the table does not name (Width, Length, N triangles 1, Scale,
// the centre, the material page, the main controls) are always enabled; the "Rotation by X"
// rotor only for the Single effects.
bool EnabledForEffect(const ParamEntry& entry, int effectIndex);
