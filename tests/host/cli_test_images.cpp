// Test pictures and temporary folders.

#include "cli_test_images.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace rimelace_cli::testing {

Image NoiseImage(int width, int height, ColorModel color, bool alpha, int depth, unsigned seed) {
    Image image;
    image.width = width;
    image.height = height;
    image.color = color;
    image.alpha = alpha;
    image.depth = depth;
    image.samples.resize(image.SampleCount());
    unsigned state = seed * 2654435761u + 12345u;
    for (std::size_t i = 0; i < image.samples.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        image.samples[i] = std::uint16_t((state >> 8) % (unsigned(image.MaxSample()) + 1));
    }
    // The extremes appear in every image.
    image.samples[0] = 0;
    image.samples[image.samples.size() - 1] = image.MaxSample();
    return image;
}

Image SmoothImage(int width, int height, ColorModel color) {
    Image image;
    image.width = width;
    image.height = height;
    image.color = color;
    image.samples.resize(image.SampleCount());
    const int channels = image.Channels();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                image.samples[(std::size_t(y) * width + x) * channels + c] =
                    std::uint16_t(x * 160 / width + y * 60 / height + c * 15);
    return image;
}

int MaxDifference(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height || a.color != b.color || a.alpha != b.alpha ||
        a.depth != b.depth || a.samples.size() != b.samples.size())
        return -1;
    int worst = 0;
    for (std::size_t i = 0; i < a.samples.size(); ++i)
        worst = std::max(worst, std::abs(int(a.samples[i]) - int(b.samples[i])));
    return worst;
}

TempFolder::TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/rimelace-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) std::abort();
    path_ = name.data();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Restore write permission where a test removed it, then remove everything.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        if (entry.is_directory(ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

namespace {
void PutBigEndian(std::string& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += char((value >> shift) & 0xFF);
}
} // namespace

std::string HugePngHeader(std::uint32_t width, std::uint32_t height, bool interlaced) {
    std::string chunk = "IHDR";
    PutBigEndian(chunk, width);
    PutBigEndian(chunk, height);
    chunk += std::string("\x08\x02\x00\x00", 4); // 8-bit RGB
    chunk += char(interlaced ? 1 : 0);
    std::string bytes = std::string("\x89PNG\r\n\x1a\n", 8) + std::string("\0\0\0\x0d", 4) + chunk;
    PutBigEndian(bytes, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), uInt(chunk.size()))));
    bytes += std::string("\0\0\0\0IDAT", 8);
    PutBigEndian(bytes, std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4)));
    return bytes;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

int CountFiles(const std::string& folder) {
    int count = 0;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        (void)entry;
        ++count;
    }
    return count;
}

} // namespace rimelace_cli::testing
