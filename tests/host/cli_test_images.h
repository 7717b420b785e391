#pragma once
// Test pictures and temporary folders for the command line's tests.

#include <cstdint>
#include <string>

#include "host/cli/image_file.h"

namespace rimelace_cli::testing {

// A picture with every sample different from its neighbours: a hash of (x, y, channel) over
// the full range of the depth, including 0 and the maximum.
Image NoiseImage(int width, int height, ColorModel color, bool alpha, int depth, unsigned seed = 1);

// A smooth picture (gradients), for lossy formats.
Image SmoothImage(int width, int height, ColorModel color);

// Largest difference between two images' samples; -1 when sizes, modes or depths differ.
int MaxDifference(const Image& a, const Image& b);

// A fresh empty folder under the system's temporary folder, removed with everything in it
// when the object goes away.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// A PNG signature, a header chunk claiming an 8-bit RGB picture of that size (interlaced or not)
// and an empty data chunk: a damaged file whose first row does not decode.
std::string HugePngHeader(std::uint32_t width, std::uint32_t height, bool interlaced = false);

bool FileExists(const std::string& path);
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// Names of the files in a folder (no "." and "..").
int CountFiles(const std::string& folder);

} // namespace rimelace_cli::testing
