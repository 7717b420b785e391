#pragma once
// CMeshBuilder: traces a byte mask into border polylines for the "By selection" path.
//
// The lines run along the boundaries between pixels of different value (pixel corners are at
// integer coordinates: x = column, y = row, y downwards), each with one mask value kept on its
// right-hand side; every closed outline runs with the region it encloses on its right (the
// selection for a selected region, the unselected pixels for a hole in it). The lines are
// simplified within a tolerance and long segments are subdivided; the result is a flat array
// of points and an array of segments (pairs of point indices).
//
// Steps: LoadMask copies the mask; FindBorderLines builds the crack raster (one byte per pixel
// corner telling which boundary pieces leave it) and traces every boundary once, calling
// TraceDirection to walk from a vertex. Each line is then processed:
//  - preparation: inner flags are cleared and the corner pass flags points (see below); a closed
//    line with fewer than two flagged points gets its leftmost and rightmost points flagged and
//    is rotated to start at a flagged point;
//  - midpoints between neighbours that are not both flagged as corners;
//  - anchors (an open line's end points; a closed line's first and second-to-last point);
//  - simplification with tolerance t = x - 0.5 (at least 0) by a stack of intervals: the inner
//    point farthest from the interval's chord, if at least t away, is kept and both halves are
//    examined. The distance is taken to the chord as a segment, not as an infinite line, so
//    every dropped point lies within t of the simplified line (a point beyond a chord's end
//    would otherwise be dropped however far from the outline it is);
//  - subdivision: a segment of length L gets floor(L / e) inner points at equal spacing.
// Closed lines left with fewer than 4 points are discarded.
//
// The corner pass (our rule): walking each line, a point whose incoming step runs more than
// 2 pixels along one axis and whose outgoing step runs more than 2 pixels along the other is a
// corner; so is a point at a position that another line also passes through (found in the
// shared point map). Corners get flags 1 and 2: no midpoint is inserted next to them, and a
// closed line starts at one. No points are added by the corner pass. Outlines are kept within
// the tolerance by the simplification itself.
//
// The turn rule (our rule): at a vertex where several boundary pieces remain and that is not
// a junction (only masks with three or more values have them), the trace continues, among the
// pieces that keep the traced value on the right, straight on if it can, else with a right
// turn, else with a left turn. A right turn keeps hugging the traced region, so regions that
// touch at a corner are traced separately.
//
// Keeping the right value: at a vertex where four pieces meet and that is not a junction (only
// with three or more values), a line goes on only into a piece that keeps its right value on
// its right; where none is left (another line took it, or those left border other values) the
// line ends there, open, like at a junction. So every line keeps its right value on its right
// all along, and each piece is still walked exactly once.
//
// Backward trace: where a line does not close, the rest of it is walked backwards from its
// start vertex, keeping the line's right value on the line's right (for two-valued masks the
// same as following its left value on the walker's right).
//
// Start of a line: the scan takes the first piece present at the vertex (order right, down,
// left, up), as tracing always does, and the line keeps that piece's right-hand pixel on its
// right. The scan meets every closed outline first at its top-left corner, where that piece
// runs to the right with the enclosed region below it: every closed outline runs with the
// region it encloses on its right. For a selection that is the selection on the outer
// outlines and the unselected pixels on the outlines of its holes, so a path grown on the side
// away from the right value grows out of every outlined shape, whichever side is selected.
//
// A uniform mask (every pixel the same value) has no border at all, although pixels outside the
// raster read as 0 and a region that only touches the raster edge is traced along it.
//
// Junctions: a vertex where exactly three pieces meet, or where four meet and the two pairs of
// diagonal pixels are equal (a checkerboard corner, as where two selected pixels touch at a
// corner). Lines stop at junctions.
//
// Failures are raised as texts beginning "Error!", caught by the entry, written to the system
// debug output (platform::DebugOutput) and answered with false; nothing is then allocated.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

// Output records.
struct MeshPoint {
    float x, y;
};
struct MeshSegment {
    std::int32_t from, to;
};

// A point of a border line (in the builder's own memory).
struct BorderPoint {
    std::uint32_t flags; // kKeep, kCorner, kMark, kRemoved
    float x, y, z;
};

// A border line: points in order, the mask value on each side, closed or not.
struct BorderLine {
    static constexpr int kUnknown = -1; // a side value not yet known
    std::vector<BorderPoint*> points;
    int rightValue = kUnknown;
    int leftValue = kUnknown;
    bool closed = false;
};

class CMeshBuilder {
  public:
    // Point flags.
    static constexpr std::uint32_t kKeep = 1;      // end point or point kept by simplification
    static constexpr std::uint32_t kCorner = 2;    // corner: no midpoint next to it
    static constexpr std::uint32_t kMark = 4;      // working mark of the line processing
    static constexpr std::uint32_t kRemoved = 256; // released with a discarded line

    // Crack raster bits (per pixel corner).
    static constexpr std::uint8_t kCrackRight = 1, kCrackDown = 2, kCrackLeft = 4, kCrackUp = 8,
                                  kJunction = 16;

    // rasterByteLimit: the largest mask (rows x stride bytes) and crack raster ((rows + 1) x
    // (columns + 1) bytes) to accept; 0 for no limit beyond what memory allows.
    explicit CMeshBuilder(std::size_t rasterByteLimit = 0);
    ~CMeshBuilder();
    CMeshBuilder(const CMeshBuilder&) = delete;
    CMeshBuilder& operator=(const CMeshBuilder&) = delete;

    // The entry: traces `mask` (rows of `stride` bytes, `columns` used per row; any non-equal
    // values form a boundary) with tolerance parameter x (clamped to (0, 10], values <= 0 become 1)
    // and subdivision step e (clamped to 2..30). On success returns true with *pointCount points
    // and *segmentCount segments in two arrays from platform::AllocPages that the caller releases
    // with platform::FreePages (both null with counts 0 when there is no border). On failure
    // returns false with counts 0 and null arrays.
    bool BuildBorderLines(std::int32_t columns, std::int32_t rows, std::int32_t stride,
                          const std::uint8_t* mask, float x, std::int32_t e, std::int32_t* pointCount,
                          std::int32_t* segmentCount, MeshPoint** points, MeshSegment** segments);

    // Named steps, public so that tests can look at the traced lines before processing. Each
    // raises an "Error! ..." text (a const char*) on failure.
    void LoadMask(std::int32_t columns, std::int32_t rows, std::int32_t stride, const std::uint8_t* mask);
    void FindBorderLines();
    // Walks one line from vertex (row, column), keeping tracedValue on the line's right:
    // forward (appending; any value when tracedValue is kUnknown, which then sets the line's
    // side values) or backward (prepending: the walk runs against the line, so tracedValue
    // lies on the walker's left). Returns false when no piece at the vertex qualifies; true
    // when it walked. Sets *failed when it met a dead end; raises the TraceDirection text when
    // no piece qualifies at a vertex where several are left.
    bool TraceDirection(BorderLine& line, std::int32_t row, std::int32_t column, bool front, int tracedValue,
                        bool* failed);

    const std::vector<BorderLine>& Lines() const { return lines_; }
    // The text of the last failure of BuildBorderLines (also sent to the debug output), or null.
    const char* LastError() const { return lastError_; }
    // True when the last BuildBorderLines failed because memory ran out (not because of its input).
    bool OutOfMemory() const { return outOfMemory_; }
    // The crack raster byte of vertex (row, column), 0..rows and 0..columns (after FindBorderLines
    // the crack bits are consumed; only junction bits remain).
    std::uint8_t Crack(std::int32_t row, std::int32_t column) const;

  private:
    int Pixel(std::int32_t row, std::int32_t column) const;
    int RightPixel(std::int32_t row, std::int32_t column, int direction) const;
    int SideValue(std::int32_t row, std::int32_t column, int direction, bool backward) const;
    bool FourPieces(std::int32_t row, std::int32_t column) const;
    BorderPoint* NewPoint(float x, float y);
    void RegisterPoint(const BorderPoint* point);
    bool SharedPosition(const BorderPoint* point) const;
    void ProcessLine(BorderLine& line, float x, std::int32_t e);
    void PrepareLine(BorderLine& line);
    void InsertMidpoints(BorderLine& line);
    void SetAnchors(BorderLine& line);
    void SimplifyLine(BorderLine& line, double tolerance);
    void SubdivideLine(BorderLine& line, std::int32_t e);
    void Release();

    std::size_t rasterByteLimit_;
    std::int32_t columns_ = 0, rows_ = 0;
    std::unique_ptr<std::uint8_t[]> mask_;   // (rows + 2) x (columns + 2): a border of 0 all round
    std::unique_ptr<std::uint8_t[]> cracks_; // (rows + 1) x (columns + 1)
    std::vector<BorderLine> lines_;
    std::deque<BorderPoint> pointPool_; // owns every point; addresses stay put
    // The shared point map: how many registrations each exact position has had, by line.
    struct MapEntry {
        std::int32_t firstLine;
        bool shared;
    };
    std::unordered_map<std::uint64_t, MapEntry> pointMap_;
    std::int32_t currentLine_ = 0;
    const char* lastError_ = nullptr;
    bool outOfMemory_ = false;
};
