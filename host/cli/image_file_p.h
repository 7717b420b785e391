#pragma once
// The per-format readers and writers behind image_file.h, one set per build: libpng, libtiff and
// libjpeg on Linux (png_file.cpp and png_bands.cpp, tiff_file.cpp, jpeg_file.cpp,
// image_limits_libs.cpp), the system's imaging component on Windows (wic_file.cpp,
// wic_pixels.cpp). Each throws ImageFileError with a message that names the file.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/cli/image_file.h"

namespace rimelace_cli {

Image ReadPng(const std::string& path);
void WritePng(const std::string& path, const Image& image, PngCompression compression);
// Row by row (image_file.h); a reader that cannot stream goes through SendRows and GatherRows.
void ReadPngRows(const std::string& path, RowSink& sink);
void WritePngRows(const std::string& path, const Image& description, RowSource& source, PngCompression compression);

// An image in memory handed to a sink row by row, and one filled from a source (image_file.cpp).
void SendRows(const Image& image, RowSink& sink);
Image GatherRows(const Image& description, RowSource& source);

Image ReadTiff(const std::string& path);
void WriteTiff(const std::string& path, const Image& image);

Image ReadJpeg(const std::string& path);
void WriteJpeg(const std::string& path, const Image& image);

// Beyond what a format holds at all (GeneralCannotHold): empty when this build's writer for
// `format` stores the image's mode and depth, else why not, in one line.
std::string WriterCannotHold(FileFormat format, const Image& image);

// What the file formats themselves can hold, whatever writes them (image_file.cpp).
std::string GeneralCannotHold(FileFormat format, const Image& image);

// "cannot read 'path': why" / "cannot write 'path': why".
[[noreturn]] void FailRead(const std::string& path, const std::string& why);
[[noreturn]] void FailWrite(const std::string& path, const std::string& why);

// Whether the machine keeps the low byte of a 16-bit sample first (files keep them big-endian).
inline bool LittleEndianMachine() {
    const std::uint16_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

// Flushes and closes a file that was written, throwing (naming it) when either fails: a full
// disk may show only here. The file is closed either way.
void CloseWritten(std::FILE* file, const std::string& path);

// Refuses, naming the file, images larger than the command line takes: more than 300000 pixels
// on a side or 2^31 samples in all. Readers call it before allocating the pixels.
void CheckReadSize(const std::string& path, std::uint64_t width, std::uint64_t height, int channels);

// Checks the image's size and sample count before a writer walks it.
void CheckWritable(const std::string& path, const Image& image);

} // namespace rimelace_cli
