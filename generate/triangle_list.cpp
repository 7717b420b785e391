#include "generate/triangle_list.h"

#include <cmath>
#include <cstring>
#include <mutex>

std::int32_t TriangleCount = 0;

namespace {

// In-plane normal of the edge from a to b, scaled to unit length; (0, 0) for a zero-length edge.
void EdgeNormal(const PatternVertex& a, const PatternVertex& b, float& nx, float& ny) {
    const double ex = static_cast<double>(b.y) - a.y;
    const double ey = static_cast<double>(a.x) - b.x;
    const double length = std::sqrt(ex * ex + ey * ey);
    if (length == 0) {
        nx = 0;
        ny = 0;
        return;
    }
    nx = static_cast<float>(ex / length);
    ny = static_cast<float>(ey / length);
}

// Blocks released by one list are kept for the next one, up to kMostSpare of them: a preview
// grown again on every change then fills memory it already has, instead of the heap giving the
// pages back and faulting them in afresh on every build. About 1.4 MB at most.
constexpr std::size_t kMostSpare = 16;

struct SpareBlocks {
    std::mutex lock;
    std::vector<TriangleList::Block> blocks;
};

SpareBlocks& Spare() {
    static SpareBlocks spare;
    return spare;
}

} // namespace

TriangleList::Block TriangleList::TakeBlock() {
    {
        SpareBlocks& spare = Spare();
        std::lock_guard<std::mutex> hold(spare.lock);
        if (!spare.blocks.empty()) {
            Block block = std::move(spare.blocks.back());
            spare.blocks.pop_back();
            return block;
        }
    }
    return Block(new PatternTriangle[kBlock]);
}

void TriangleList::GiveBack(Block& block) {
    if (!block) return;
    SpareBlocks& spare = Spare();
    std::lock_guard<std::mutex> hold(spare.lock);
    if (spare.blocks.size() < kMostSpare) {
        try {
            spare.blocks.push_back(std::move(block));
        } catch (...) {  // no room to keep it: released below
        }
    }
    block.reset();
}

TriangleList::~TriangleList() { Clear(); }

void SetShadingNormals(PatternTriangle& triangle) {
    PatternVertex* c = triangle.corner;
    const double ax = static_cast<double>(c[0].x) - c[1].x, ay = static_cast<double>(c[0].y) - c[1].y,
                 az = static_cast<double>(c[0].z) - c[1].z;
    const double bx = static_cast<double>(c[2].x) - c[1].x, by = static_cast<double>(c[2].y) - c[1].y,
                 bz = static_cast<double>(c[2].z) - c[1].z;
    const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    const float faceZ = static_cast<float>(length == 0 ? nz : nz / length);
    for (int k = 0; k < 3; ++k) {
        EdgeNormal(c[k], c[(k + 1) % 3], c[k].nx, c[k].ny);
        c[k].nz = -faceZ;
        c[k].flag = 1;
    }
}

PatternTriangle* TriangleList::NewTail() {
    const std::size_t at = static_cast<std::size_t>(head_) + static_cast<std::size_t>(size_);
    if (first_ + at / kBlock == blocks_.size())
        blocks_.push_back(TakeBlock());
    ++size_;
    return &blocks_[first_ + at / kBlock][at % kBlock];
}

bool TriangleList::Append(const PatternTriangle& triangle) {
    if (BudgetReached()) return false;
    std::memcpy(NewTail(), &triangle, sizeof triangle);  // the padding too, as a copy has it
    return true;
}

PatternTriangle* TriangleList::AppendZeroed() {
    if (BudgetReached()) return nullptr;
    PatternTriangle* triangle = NewTail();
    std::memset(triangle, 0, sizeof *triangle);
    return triangle;
}

bool TriangleList::PopFront(PatternTriangle* out) {
    if (size_ == 0) return false;
    if (out) std::memcpy(out, &(*this)[0], sizeof *out);
    --size_;
    if (static_cast<std::size_t>(++head_) == kBlock) {
        GiveBack(blocks_[first_++]);
        head_ = 0;
    }
    return true;
}

void TriangleList::DropBack() {
    if (size_ == 0) return;
    --size_;
    const std::size_t used = static_cast<std::size_t>(head_) + static_cast<std::size_t>(size_);
    if (first_ + (used + kBlock - 1) / kBlock < blocks_.size()) {  // the tail block is empty
        GiveBack(blocks_.back());
        blocks_.pop_back();
    }
}

void TriangleList::Clear() {
    for (Block& block : blocks_) GiveBack(block);
    std::vector<std::unique_ptr<PatternTriangle[]>>().swap(blocks_);
    size_ = 0;
    first_ = 0;
    head_ = 0;
}
