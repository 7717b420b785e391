// CMeshBuilder: the entry, mask loading, the crack raster and the tracing of border lines.
#include "geometry/mesh_builder.h"

#include "platform/platform.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const char* const kLoadMaskError = "Error! CMeshBuilder::LoadMask: Cannot load input mask!";
const char* const kRasterError = "Error! CMeshBuilder::FindBorderLines: Cannot create raster of borders.";
const char* const kLineError = "Error! CMeshBuilder::FindBorderLines: Cannot trace line.";
const char* const kTraceError = "Error! CMeshBuilder::TraceDirection: Cannot trace line.";
const char* const kMemoryError = "Error! CMeshBuilder: Out of memory.";

// Directions 0..3 (right, down, left, up) as crack bits 1, 2, 4, 8.
constexpr int kRowStep[4] = {0, 1, 0, -1};
constexpr int kColumnStep[4] = {1, 0, -1, 0};

// Straight on first, then the turn towards the traced value's side (a right turn when walking
// forward, a left turn when walking backward), then the other turn.
int TurnCost(int previous, int next, bool backward) {
    switch ((next - previous) & 3) {
    case 0:
        return 0; // straight on
    case 1:
        return backward ? 2 : 1; // right turn (clockwise with y downwards)
    case 3:
        return backward ? 1 : 2; // left turn
    default:
        return 3; // reversal: cannot happen, the piece just walked is cleared
    }
}

} // namespace

CMeshBuilder::CMeshBuilder(std::size_t rasterByteLimit) : rasterByteLimit_(rasterByteLimit) {}

CMeshBuilder::~CMeshBuilder() {
    Release();
}

void CMeshBuilder::Release() {
    mask_.reset();
    cracks_.reset();
    lines_.clear();
    pointPool_.clear();
    pointMap_.clear();
}

int CMeshBuilder::Pixel(std::int32_t row, std::int32_t column) const {
    return mask_[static_cast<std::size_t>(row + 1) * static_cast<std::size_t>(columns_ + 2) +
                 static_cast<std::size_t>(column + 1)];
}

std::uint8_t CMeshBuilder::Crack(std::int32_t row, std::int32_t column) const {
    if (!cracks_ || row < 0 || row > rows_ || column < 0 || column > columns_) return 0;
    return cracks_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_ + 1) +
                   static_cast<std::size_t>(column)];
}

// The pixel on the right of a traveller leaving vertex (row, column) in `direction`.
int CMeshBuilder::RightPixel(std::int32_t row, std::int32_t column, int direction) const {
    switch (direction) {
    case 0:
        return Pixel(row, column); // right: P
    case 1:
        return Pixel(row, column - 1); // down: L
    case 2:
        return Pixel(row - 1, column - 1); // left: Q
    default:
        return Pixel(row - 1, column); // up: U
    }
}

// The pixel that a line's right value must match when its trace leaves the vertex in `direction`:
// the pixel on the traveller's right walking forward, on its left walking backward (the line
// then runs the other way).
int CMeshBuilder::SideValue(std::int32_t row, std::int32_t column, int direction, bool backward) const {
    return RightPixel(row, column, backward ? (direction + 3) & 3 : direction);
}

// True at a vertex where four pieces meet (all four neighbouring pairs of pixels differ).
bool CMeshBuilder::FourPieces(std::int32_t row, std::int32_t column) const {
    const int L = Pixel(row, column - 1), Q = Pixel(row - 1, column - 1), P = Pixel(row, column),
              U = Pixel(row - 1, column);
    return U != P && L != P && L != Q && Q != U;
}

BorderPoint* CMeshBuilder::NewPoint(float x, float y) {
    pointPool_.push_back(BorderPoint{0, x, y, -10.0f});
    return &pointPool_.back();
}

void CMeshBuilder::LoadMask(std::int32_t columns, std::int32_t rows, std::int32_t stride,
                            const std::uint8_t* mask) {
    if (!mask || columns <= 0 || rows <= 0 || stride < columns) throw kLoadMaskError;
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(rows + 2) * static_cast<std::uint64_t>(columns + 2);
    const std::uint64_t maskBytes = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(stride);
    if (bytes > SIZE_MAX || (rasterByteLimit_ != 0 && maskBytes > rasterByteLimit_)) throw kLoadMaskError;
    mask_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]);
    if (!mask_) {
        outOfMemory_ = true;
        throw kLoadMaskError;
    }
    columns_ = columns;
    rows_ = rows;
    const std::size_t width = static_cast<std::size_t>(columns) + 2;
    std::memset(mask_.get(), 0, width);
    for (std::int32_t i = 0; i < rows; ++i) {
        std::uint8_t* row = mask_.get() + static_cast<std::size_t>(i + 1) * width;
        row[0] = 0;
        std::memcpy(row + 1, mask + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride),
                    static_cast<std::size_t>(columns));
        row[columns + 1] = 0;
    }
    std::memset(mask_.get() + static_cast<std::size_t>(rows + 1) * width, 0, width);
}

void CMeshBuilder::FindBorderLines() {
    const std::size_t vertexColumns = static_cast<std::size_t>(columns_) + 1;
    const std::uint64_t bytes = static_cast<std::uint64_t>(rows_ + 1) * vertexColumns;
    if (!mask_ || bytes > SIZE_MAX || (rasterByteLimit_ != 0 && bytes > rasterByteLimit_)) throw kRasterError;
    cracks_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]);
    if (!cracks_) {
        outOfMemory_ = true;
        throw kRasterError;
    }

    // A uniform mask is one region filling the raster: it has no border, not even along the
    // raster's edge (a full selection has no outline to grow along).
    const std::size_t width = static_cast<std::size_t>(columns_) + 2;
    const std::uint8_t first = mask_[width + 1];
    bool uniform = true;
    for (std::int32_t i = 0; i < rows_ && uniform; ++i) {
        const std::uint8_t* row = mask_.get() + static_cast<std::size_t>(i + 1) * width + 1;
        for (std::int32_t j = 0; j < columns_; ++j)
            if (row[j] != first) {
                uniform = false;
                break;
            }
    }
    if (uniform) {
        std::memset(cracks_.get(), 0, static_cast<std::size_t>(bytes));
        return;
    }

    // Crack raster: around vertex (i, j) lie L (i, j-1), Q (i-1, j-1), P (i, j) and U (i-1, j).
    for (std::int32_t i = 0; i <= rows_; ++i) {
        const std::uint8_t* upper = mask_.get() + static_cast<std::size_t>(i) * width; // row i-1
        const std::uint8_t* lower = upper + width;                                     // row i
        std::uint8_t* out = cracks_.get() + static_cast<std::size_t>(i) * vertexColumns;
        for (std::size_t j = 0; j < vertexColumns; ++j) {
            const std::uint8_t L = lower[j], P = lower[j + 1], Q = upper[j], U = upper[j + 1];
            std::uint8_t b =
                static_cast<std::uint8_t>((U != P ? kCrackRight : 0) | (L != P ? kCrackDown : 0) |
                                          (L != Q ? kCrackLeft : 0) | (Q != U ? kCrackUp : 0));
            if (b == 7 || b == 11 || b == 13 || b == 14 || (b == 15 && L == U && Q == P)) b |= kJunction;
            out[j] = b;
        }
    }

    // Trace every piece once, scanning the vertices in the same order.
    for (std::int32_t i = 0; i <= rows_; ++i) {
        std::uint8_t* row = cracks_.get() + static_cast<std::size_t>(i) * vertexColumns;
        for (std::int32_t j = 0; j <= columns_; ++j) {
            while ((row[j] & 15) != 0) {
                BorderLine line;
                bool failed = false;
                const bool junction = (row[j] & kJunction) != 0;
                // The first piece present (order right, down, left, up): the line runs along it
                // with that piece's right-hand pixel as its right value.
                int d = 0;
                while (!(row[j] & (1 << d)))
                    ++d;
                line.rightValue = RightPixel(i, j, d);
                line.leftValue = RightPixel(i, j, (d + 3) & 3);
                if (!TraceDirection(line, i, j, false, line.rightValue, &failed) || failed)
                    throw kLineError;
                if (!junction && !line.closed) {
                    TraceDirection(line, i, j, true, line.rightValue, &failed);
                    if (failed) throw kLineError;
                }
                if (!line.closed) {
                    line.points.front()->flags |= kKeep;
                    line.points.back()->flags |= kKeep;
                }
                lines_.push_back(std::move(line));
            }
        }
    }
}

bool CMeshBuilder::TraceDirection(BorderLine& line, std::int32_t row, std::int32_t column, bool front,
                                  int tracedValue, bool* failed) {
    *failed = false;
    const std::size_t vertexColumns = static_cast<std::size_t>(columns_) + 1;
    auto crack = [&](std::int32_t i, std::int32_t j) -> std::uint8_t& {
        return cracks_[static_cast<std::size_t>(i) * vertexColumns + static_cast<std::size_t>(j)];
    };
    if (front && tracedValue == BorderLine::kUnknown)
        return false; // a backward trace needs the value it keeps
    int direction = -1;
    const std::uint8_t bits = crack(row, column);
    if (tracedValue == BorderLine::kUnknown) {
        for (int d = 0; d < 4 && direction < 0; ++d)
            if (bits & (1 << d)) direction = d;
    } else {
        for (int d = 0; d < 4 && direction < 0; ++d)
            if ((bits & (1 << d)) && SideValue(row, column, d, front) == tracedValue) direction = d;
    }
    if (direction < 0) return false;
    if (tracedValue == BorderLine::kUnknown) {
        line.rightValue = RightPixel(row, column, direction);
        line.leftValue = RightPixel(row, column, (direction + 3) & 3);
        tracedValue = line.rightValue;
    }

    // Walked points go into `walked`; a backward trace puts them in front of the line at the end.
    std::vector<BorderPoint*> walked;
    std::vector<BorderPoint*>& out = front ? walked : line.points;
    const std::int32_t startRow = row, startColumn = column;
    const bool continuing = !line.points.empty(); // the start vertex is then already an end of the line
    int previous = -1;
    for (;;) {
        if (direction != previous && !(continuing && previous < 0))
            out.push_back(NewPoint(static_cast<float>(column), static_cast<float>(row)));
        crack(row, column) &= static_cast<std::uint8_t>(~(1 << direction));
        row += kRowStep[direction];
        column += kColumnStep[direction];
        crack(row, column) &= static_cast<std::uint8_t>(~(1 << ((direction + 2) & 3)));
        previous = direction;

        const std::uint8_t here = crack(row, column);
        const bool atStart = row == startRow && column == startColumn;
        if ((here & kJunction) || atStart) {
            out.push_back(NewPoint(static_cast<float>(column), static_cast<float>(row)));
            line.closed = atStart && !continuing; // back at the start of a line that already has an end: open
            break;
        }
        const int left = here & 15;
        int best = -1;
        for (int d = 0; d < 4; ++d)
            if ((left & (1 << d)) && SideValue(row, column, d, front) == tracedValue &&
                (best < 0 || TurnCost(previous, d, front) < TurnCost(previous, best, front)))
                best = d;
        if (best < 0 && FourPieces(row, column)) {
            // Three or more values meet here and the pieces left border other values (or another
            // line took them): the line ends here, keeping its right value all along.
            out.push_back(NewPoint(static_cast<float>(column), static_cast<float>(row)));
            break;
        }
        if (left == 0) {
            *failed = true;
            break;
        }
        if ((left & (left - 1)) == 0) { // a single piece: go on into it
            direction = left == 1 ? 0 : left == 2 ? 1 : left == 4 ? 2 : 3;
            continue;
        }
        if (best < 0) throw kTraceError;
        direction = best;
    }
    if (front) line.points.insert(line.points.begin(), walked.rbegin(), walked.rend());
    return true;
}

bool CMeshBuilder::BuildBorderLines(std::int32_t columns, std::int32_t rows, std::int32_t stride,
                                    const std::uint8_t* mask, float x, std::int32_t e,
                                    std::int32_t* pointCount, std::int32_t* segmentCount, MeshPoint** points,
                                    MeshSegment** segments) {
    lastError_ = nullptr;
    outOfMemory_ = false;
    if (!pointCount || !segmentCount || !points || !segments) return false;
    *pointCount = 0;
    *segmentCount = 0;
    *points = nullptr;
    *segments = nullptr;
    if (!(x > 0)) x = 1; // also NaN
    if (x > 10) x = 10;
    if (e <= 1) e = 2;
    if (e > 30) e = 30;
    Release();
    try {
        LoadMask(columns, rows, stride, mask);
        FindBorderLines();
        cracks_.reset();
        mask_.reset();

        // Every traced point goes into the shared map first, so the corner pass sees the
        // positions that several lines pass through whichever line comes first.
        for (currentLine_ = 0; currentLine_ < static_cast<std::int32_t>(lines_.size()); ++currentLine_)
            for (const BorderPoint* p : lines_[static_cast<std::size_t>(currentLine_)].points)
                RegisterPoint(p);
        for (currentLine_ = 0; currentLine_ < static_cast<std::int32_t>(lines_.size()); ++currentLine_)
            ProcessLine(lines_[static_cast<std::size_t>(currentLine_)], x, e);

        // Discard closed lines that simplified away; mark the rest kept.
        std::vector<BorderLine> kept;
        kept.reserve(lines_.size());
        for (BorderLine& line : lines_) {
            if (line.closed && line.points.size() < 4) {
                for (BorderPoint* p : line.points)
                    p->flags |= kRemoved;
                continue;
            }
            for (BorderPoint* p : line.points)
                p->flags = (p->flags | kKeep) & ~kMark;
            kept.push_back(std::move(line));
        }
        lines_ = std::move(kept);

        std::int64_t n = 0, m = 0;
        for (const BorderLine& line : lines_) {
            if (line.rightValue == BorderLine::kUnknown || line.leftValue == BorderLine::kUnknown ||
                line.points.size() < 2)
                continue;
            n += static_cast<std::int64_t>(line.points.size());
            m += static_cast<std::int64_t>(line.points.size()) - 1;
        }
        if (n > 0 && m > 0) {
            if (n > INT32_MAX / 8 || m > INT32_MAX / 8) {
                outOfMemory_ = true;
                throw kMemoryError;
            }
            auto* outPoints = static_cast<MeshPoint*>(
                platform::AllocPages(static_cast<std::size_t>(n) * sizeof(MeshPoint)));
            auto* outSegments = static_cast<MeshSegment*>(
                platform::AllocPages(static_cast<std::size_t>(m) * sizeof(MeshSegment)));
            if (!outPoints || !outSegments) {
                platform::FreePages(outPoints);
                platform::FreePages(outSegments);
                Release();
                outOfMemory_ = true;
                return false;
            }
            std::int32_t pointIndex = 0, segmentIndex = 0;
            for (const BorderLine& line : lines_) {
                if (line.rightValue == BorderLine::kUnknown || line.leftValue == BorderLine::kUnknown ||
                    line.points.size() < 2)
                    continue;
                for (std::size_t k = 0; k < line.points.size(); ++k) {
                    outPoints[pointIndex] = MeshPoint{line.points[k]->x, line.points[k]->y};
                    if (k > 0) outSegments[segmentIndex++] = MeshSegment{pointIndex - 1, pointIndex};
                    ++pointIndex;
                }
            }
            *points = outPoints;
            *segments = outSegments;
            *pointCount = static_cast<std::int32_t>(n);
            *segmentCount = static_cast<std::int32_t>(m);
        }
    } catch (const char* text) {
        lastError_ = text;
        platform::DebugOutput(text);
        Release();
        return false;
    } catch (const std::bad_alloc&) {
        lastError_ = kMemoryError;
        outOfMemory_ = true;
        platform::DebugOutput(kMemoryError);
        Release();
        return false;
    }
    Release();
    return true;
}
