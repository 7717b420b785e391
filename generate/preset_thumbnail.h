#pragma once
// Preset thumbnails: the preset open dialog shows the selected preset rendered over a built-in
// sample picture (bitmap 115) before the user commits. The render goes through the render driver
// in thumbnail mode, with the host's filter record pointed at two small four-channel buffers for
// the length of the call.

#include <cstdint>

struct PluginGlobals;
struct RimelaceParams;

constexpr int kSamplePictureId = 115;    // bitmap resource: 160 x 160 pixels, 24 bits
constexpr int kSamplePictureSize = 160;

// Fills w × h pixels of four bytes (255, red, green, blue), rows without gaps, from the sample
// picture placed with its top-left at the buffer's top-left; pixels beyond the picture are white.
// False (and the buffer all white) when the resource is missing or not a bitmap it can read.
bool FillFromSamplePicture(std::uint8_t* buffer, int w, int h);

// The selection a thumbnail (or a contact sheet) uses for presets that grow along the
// selection: an oval filling the middle 60 % of a w × h picture, one byte per pixel, 255 inside.
void FillSampleSelection(std::uint8_t* mask, int w, int h);

// Renders the effect of the current parameter record over `source` into `result`, both
// w × h four-channel 8-bit buffers owned by the caller, through RenderEffect in thumbnail mode.
// The pattern is grown anew for the thumbnail's size, and left marked stale (SceneDirty) so that
// the next render of any other size grows its own. Every filter-record field the render needs is
// pointed at the buffers for the call and put back afterwards, as are PreviewZoom and
// ThumbnailMode. False when there is no filter record or parameter record, or the render ran
// out of memory (the result buffer is then unspecified).
bool RenderThumbnail(PluginGlobals& globals, std::uint8_t* source, std::uint8_t* result, int w, int h);

// While the open dialog browses, its thumbnails use the parameter record (they read each preset
// into it and grow its pattern at the thumbnail's size). KeepRecord copies the whole record into
// `kept` and leaves the record with an empty, stale scene cache, so the kept copy holds the
// dialog's scene meanwhile. RestoreEffectFields puts back the 46 fields of the parameter table
// from `kept` (each preset is read over the parameters as the dialog found them). RestoreRecord
// releases what the thumbnails grew and loaded and puts every byte of the record back as kept.
void KeepRecord(RimelaceParams& params, RimelaceParams& kept);
void RestoreEffectFields(RimelaceParams& params, const RimelaceParams& kept);
void RestoreRecord(RimelaceParams& params, const RimelaceParams& kept);
