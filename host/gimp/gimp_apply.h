#pragma once
// The filter over a GIMP drawable, through the stand-in host and the real plug-in module.
//
// Precisions, converted at the edge and back in the drawable's own colour space and curve:
// 8-bit integer drawables go to the module as 8-bit RGB unchanged (byte for byte what
// `rimelace apply` does with the same pixels); 16-bit integer drawables as 16-bit RGB (65535
// becomes the host's 32768, at most one level lost per sample); 32-bit integer, half and float
// drawables are rounded to 16 bits for the render (values outside 0..1 are clipped) and written
// back in their own precision. Alpha becomes the module's transparency plane. Grey and indexed
// drawables are refused: the module frosts RGB images only.
//
// The selection is handed to the module (for the "By selection" path) and GIMP merges the
// result through it (feathered edges included) when the shadow buffer is merged; the stand-in
// host is told not to blend by the selection itself, so it is applied once.

#include <libgimp/gimp.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/cli/image_file.h"
#include "params/params.h"

namespace rimelace_gimp {

// Why the drawable cannot be filtered (grey, indexed, not a drawable); empty when it can.
std::string Refusal(gint32 drawable);

// The drawable's pixels as the command line holds an image, read at `scale` (1 = full size;
// smaller for previews, 8-bit then), and its selection over the same pixels (empty when the image
// has none).
struct Pixels {
    rimelace_cli::Image image;
    std::vector<std::uint8_t> mask;
};
Pixels ReadDrawable(gint32 drawable, double scale = 1.0, bool forPreview = false);

// The folder of this program.
std::string OwnFolder();
// The plug-in module: beside this program, else where the package installs it.
std::string ModulePath();

// Runs the filter over `pixels` with `values`. Progress and cancel as given. Returns 0 on success
// (with *result), else the command line's exit status with *why.
int Filter(const Pixels& pixels, const RimelaceParams& values, rimelace_cli::Image* result, std::string* why,
           std::function<void(double)> progress = {}, std::function<bool()> cancel = {});

// The whole run of the procedure: read, filter, write into the shadow buffer, merge it through
// the selection (one undo step) and update. GIMP's progress bar shows the render. Returns the
// PDB status; *why says what went wrong.
GimpPDBStatusType ApplyToDrawable(gint32 drawable, const RimelaceParams& values, std::string* why);

} // namespace rimelace_gimp
