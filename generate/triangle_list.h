#pragma once
// The triangles that the growers append while a scene is built.
//
// A TriangleList keeps its triangles in append order until the scene builder reads them from
// head to tail and releases them. It has a budget: the largest number of triangles it accepts.
// The growers stop adding (and stop recursing) once the budget is reached; the scene builder
// then grows the pattern again with smaller values (GrowWithinBudget). Below the budget the
// budget changes nothing.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

// One corner of a pattern triangle: position, shading normal, flag (always 1).
struct PatternVertex {
    float x, y, z;
    float nx, ny, nz;
    std::uint8_t flag;
};

// Three corners and a tag (the recursion depth for fan triangles, 0 for all others).
struct PatternTriangle {
    PatternVertex corner[3];
    std::int32_t tag;
};

// A position in the scene plane (x right, y down, z depth; one unit per working-area pixel).
struct ScenePoint {
    float x, y, z;
};

// Triangles appended so far during the current build (process-wide). The scene builder sets it
// to 0 before growing; every append adds 1, so it equals the number of triangles appended
// since then. Not thread-safe, like the random generator.
extern std::int32_t TriangleCount;

// The budget of a scene: the most triangles it may hold. Memory per triangle, measured on the
// 64-bit Linux build (a 1600 x 1200 "Geometric 1" scene grown to the budget): 88 bytes while it
// is grown here (in blocks of 1024, about 90 KB each, released as they are read), then
// one Trivane triangle record (16 bytes) and three point records (3 x 40 bytes) beside it while
// it is converted: about 250 bytes at the peak, the same on the 32-bit build (the records hold
// no pointers). So 1,000,000 triangles take about 250 MB at the peak, of which 120 MB in one
// block for the points; 250,000 take about 62 MB, 30 MB in one block. A 32-bit host shares its
// 2 GB of address space with its own documents, and the filter's image buffers need about 32
// bytes per image pixel already: the 32-bit build keeps to 250,000, the 64-bit build allows
// 1,000,000 (rasterising that many is the real cost there, not their memory).
constexpr std::int32_t kDefaultTriangleBudget = sizeof(void*) >= 8 ? 1000000 : 250000;

// Sets the shading normals of a triangle from its corner positions: corner c gets the in-plane
// normal of the edge from corner c to corner c + 1 (unit length, or (0, 0) for a zero-length
// edge) and -n.z of the face normal n = normalise((c0 - c1) x (c2 - c1)) (left unnormalised when
// its length is 0). Also sets the three flags to 1.
void SetShadingNormals(PatternTriangle& triangle);

class TriangleList {
  public:
    explicit TriangleList(std::int32_t budget = kDefaultTriangleBudget) : budget_(budget < 0 ? 0 : budget) {}
    ~TriangleList();
    TriangleList(const TriangleList&) = delete;
    TriangleList& operator=(const TriangleList&) = delete;

    using Block = std::unique_ptr<PatternTriangle[]>;

    // Appends a copy at the tail. Returns false, appending nothing, when the budget is reached.
    bool Append(const PatternTriangle& triangle);

    // Appends a zeroed triangle at the tail and returns it, to be filled in place; null, appending
    // nothing, when the budget is reached.
    PatternTriangle* AppendZeroed();

    // True once the list holds as many triangles as its budget allows: nothing more will be
    // appended, and a grower that sees it stops. The scene builder reports it as a cut pattern.
    bool BudgetReached() const { return size_ >= budget_; }

    std::int32_t Budget() const { return budget_; }
    std::int32_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

    // Triangles in append order (head to tail).
    const PatternTriangle& operator[](std::int32_t index) const {
        const std::size_t at = static_cast<std::size_t>(head_) + static_cast<std::size_t>(index);
        return blocks_[first_ + at / kBlock][at % kBlock];
    }

    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = PatternTriangle;
        using difference_type = std::ptrdiff_t;
        using pointer = const PatternTriangle*;
        using reference = const PatternTriangle&;
        Iterator() = default;
        Iterator(const TriangleList* list, std::int32_t index) : list_(list), index_(index) {}
        reference operator*() const { return (*list_)[index_]; }
        pointer operator->() const { return &(*list_)[index_]; }
        Iterator& operator++() {
            ++index_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }

      private:
        const TriangleList* list_ = nullptr;
        std::int32_t index_ = 0;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size_); }

    // Removes the head triangle into *out and releases it (its block once that is read); false
    // when the list is empty.
    bool PopFront(PatternTriangle* out);

    // Releases every triangle.
    void Clear();

    // Releases every triangle and sets a new budget.
    void Reset(std::int32_t budget) {
        Clear();
        budget_ = budget < 0 ? 0 : budget;
    }

    // Releases the triangle appended last (nothing when empty).
    void DropBack();

  private:
    static constexpr std::size_t kBlock = 1024;  // triangles per block

    // The slot after the tail, in a new block when the last one is full.
    PatternTriangle* NewTail();
    // A block from the ones released before, or a new one (throws std::bad_alloc).
    static Block TakeBlock();
    // Releases a block, keeping it for the next list while few are kept.
    static void GiveBack(Block& block);

    std::int32_t budget_;
    std::int32_t size_ = 0;
    std::size_t first_ = 0;  // blocks before it are released
    std::int32_t head_ = 0;  // the head triangle's place in block first_
    std::vector<Block> blocks_;
};
