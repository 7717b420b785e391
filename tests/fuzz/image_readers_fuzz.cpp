// The command line's image readers (PNG, TIFF, JPEG; the format comes from the first bytes) under
// any file. Besides the sanitizers' findings it checks that a picture that reads has the size,
// depth and sample count it claims, and that its host form and selection mask can be made.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/cli/host_image.h"
#include "host/cli/image_file.h"

using rimelace_cli::Image;
using rimelace_cli::ImageFileError;

namespace {

// One file per process, rewritten for every input.
const std::string& FuzzFile() {
    static const std::string path = "/tmp/rimelace-image-fuzz-" + std::to_string(getpid());
    return path;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

void Use(const Image& image) {
    Check(image.width > 0 && image.height > 0 && (image.depth == 8 || image.depth == 16));
    Check(image.samples.size() == image.SampleCount());
    // A small file may hold a large picture (JPEG, deflate): the samples of large ones are not
    // walked, so that every input costs about the same.
    if (image.samples.size() > (std::size_t(1) << 20)) return;
    for (std::uint16_t sample : image.samples) Check(sample <= image.MaxSample());
    const std::vector<std::uint8_t> pixels = rimelace_cli::ToHostPixels(image);
    Image back = image;
    rimelace_cli::FromHostPixels(pixels, back);
    if (image.depth == 8) Check(back.samples == image.samples);
    Check(rimelace_cli::MaskFromImage(image).size() == std::size_t(image.width) * std::size_t(image.height));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(FuzzFile().c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
    try {
        Use(rimelace_cli::ReadImage(FuzzFile()));
    } catch (const ImageFileError&) {
    }
    try {
        Use(rimelace_cli::ReadJpegMemory(data, size, "fuzz.jpg"));
    } catch (const ImageFileError&) {
    }
    return 0;
}
