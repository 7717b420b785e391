#pragma once
// Small masks for the tracer's tests.

#include "geometry/mesh_builder.h"

#include <cstdint>
#include <vector>

struct TestMask {
    std::int32_t columns, rows;
    std::vector<std::uint8_t> bytes;
    TestMask(std::int32_t c, std::int32_t r, std::uint8_t fill = 0)
        : columns(c), rows(r), bytes(static_cast<std::size_t>(c) * static_cast<std::size_t>(r), fill) {}
    std::uint8_t& at(std::int32_t row, std::int32_t column) {
        return bytes[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                     static_cast<std::size_t>(column)];
    }
    // Outside the mask reads as 0.
    int get(std::int32_t row, std::int32_t column) const {
        if (row < 0 || row >= rows || column < 0 || column >= columns) return 0;
        return bytes[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                     static_cast<std::size_t>(column)];
    }
    void fill(std::int32_t row0, std::int32_t column0, std::int32_t row1, std::int32_t column1,
              std::uint8_t value) {
        for (std::int32_t r = row0; r < row1; ++r)
            for (std::int32_t c = column0; c < column1; ++c)
                at(r, c) = value;
    }
};

// The entry's output, released on destruction.
struct TraceResult {
    bool ok = false;
    std::int32_t pointCount = 0, segmentCount = 0;
    MeshPoint* points = nullptr;
    MeshSegment* segments = nullptr;
    const char* error = nullptr;
    ~TraceResult();
};

void Trace(const TestMask& mask, float x, std::int32_t e, TraceResult& result);
