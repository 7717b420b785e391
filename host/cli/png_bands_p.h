#pragma once
// The PNG writer of the fast setting, on every core. Rows are taken from the source in order on
// the calling thread and gathered into bands of rows; worker threads filter each band (the
// "average" filter on every row, the band's first row against the last of the band before, which
// the caller hands along) and deflate it on its own (level 1, run-length strategy), every band
// but the last ending on a flush to a byte boundary, so that the bands' streams, written in
// order behind one zlib header and followed by the Adler-32 of the whole, form the image's one
// data stream. Only a few bands are held at a time: the source is asked for a band's rows once
// a slot is free, and a band is written as soon as it and all before it are compressed.

#include <cstddef>
#include <string>

#include "host/cli/image_file.h"

namespace rimelace_cli {

// How the picture is cut up and shared out; zero means the default (bands of about half a
// megabyte of samples, one worker a core). Never more workers than bands.
struct PngBands {
    int rows = 0;
    int threads = 0;
};

// Writes the image `description` describes (8- or 16-bit gray, gray+alpha, RGB or RGBA; its
// samples are not read) to `path`, taking its rows from `source`, whose Row is only ever called
// on the calling thread, top to bottom. The file holds the signature, the header chunk, data
// chunks and the end chunk. Whatever fails (the file, memory, a worker) throws ImageFileError
// naming the file, after every worker has stopped; what was written so far stays behind (callers
// that must not leave a partial file write under a temporary name, atomic_file.h).
void WriteBandedPng(const std::string& path, const Image& description, RowSource& source, PngBands bands = {});

} // namespace rimelace_cli
