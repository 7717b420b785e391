#pragma once
// The render driver's pixel conversions between the host's interleaved planes and the
// four-channel working image (coverage, red, green, blue; 8-bit 0..255 or 16-bit 0..32768).

#include <cstdint>

// A host pixel area: rows of rowBytes bytes, pixels of `planes` samples (1 or 2 bytes each).
struct HostPixels {
    std::uint8_t* data = nullptr;
    std::int32_t rowBytes = 0;
    std::int32_t planes = 0;
};

// The order of a working pixel's four samples: the driver's (coverage, red, green, blue), or the
// renderer's (red, green, blue, coverage), into which the final render converts straight away.
enum class WorkingOrder { CoverageFirst, CoverageLast };

// Conversion A: `rows` x `columns` host pixels into the working image at (column x0, row y0);
// red, green, blue from planes 0..2, coverage from plane 3 when there is one, else full scale.
void HostToWorking(const HostPixels& in, bool wide, std::int32_t columns, std::int32_t rows, std::uint8_t* working,
                   std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0,
                   WorkingOrder order = WorkingOrder::CoverageFirst);

// Conversion B: the working image's area at (x0, y0) into `rows` x `columns` host pixels. Under
// 4 planes the colour is composited over black by coverage (truncated); with 4 or more the four
// samples are copied, and a fifth plane comes from `in` (same pixel; may be null to leave it).
void WorkingToHost(const std::uint8_t* working, std::int32_t workingRowBytes, std::int32_t x0, std::int32_t y0,
                   bool wide, std::int32_t columns, std::int32_t rows, const HostPixels& out, const HostPixels* in,
                   WorkingOrder order = WorkingOrder::CoverageFirst);

// Pass-through: copies rows x (columns x planes) samples of 1 or 2 bytes from in to out.
void CopyHostPixels(const HostPixels& in, const HostPixels& out, std::int32_t bytesPerSample, std::int32_t columns,
                    std::int32_t rows);
