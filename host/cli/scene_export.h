#pragma once
// `apply --export-geometry`: the grown scene written out beside the image. SVG in image
// coordinates (pixels, y down), OBJ in scene coordinates (origin at the image centre, y down,
// z towards the viewer). Both hold the base path (as lines) and the triangles.

#include <cstdint>
#include <string>
#include <vector>

struct RimelaceParams;

namespace rimelace_cli {

// True when the name asks for a type the export writes (.svg or .obj, any case).
bool GeometryFileName(const std::string& path);

// Writes the scene that the parameter values `params` grow over an image of width x height with
// the selection `mask` (empty for none), as the plug-in's scene builder grows and places it.
// The file type comes from the name (.svg or .obj). The bytes go to `writeTo` when it is given
// (a temporary file that becomes `path` later), else to `path`. False with *why on failure.
bool ExportSceneGeometry(const std::string& path, const RimelaceParams& params, int width, int height,
                         const std::vector<std::uint8_t>& mask, std::string* why, const std::string& writeTo = "");

}  // namespace rimelace_cli
