#pragma once
// The threads of one drawing call. A call is cut into bands of rows; each band draws its share of
// the triangles in array order over its own rows only, so every pixel sees its writes in the same
// order whichever thread draws it and however many there are. A worker is one thread's state: the
// shading's plans and glass memory, the pass it is drawing, and the planes of its current band,
// kept from one call to the next.
#include <algorithm>
#include <cstddef>

#include "engine/shading_p.h"

namespace trivane {

// The working planes of one band of rows: depth, and the layer and edge memories (rows of the
// target's row length). Whole-page blocks kept while their size stays the same.
struct BandPlanes {
    void* block = nullptr;
    std::size_t depthBytes = 0, planeBytes = 0;
    float* depth = nullptr;
    BYTE* layer = nullptr;
    BYTE* edge = nullptr;
    BYTE* underEdge = nullptr;

    // Makes room for the given sizes (a block of another size is released first); false when the
    // memory cannot be had.
    bool Reserve(std::size_t depthSize, std::size_t planeSize);
    void Release();
};

struct Worker {
    bool backPass = false;  // drawing the back-face pass
    shading::ShadingScratch shading;
    BandPlanes planes;
};

constexpr int kMaxThreads = 16;

// The worker of the calling thread: the one a parallel run gave it, else the caller's own.
Worker& CurrentWorker();
// Worker i (0: the caller's).
Worker& WorkerAt(int i);

// How many threads a call may use: TRIVANE_THREADS when it is set (1 draws on the caller's thread
// alone), else the processor count, at most kMaxThreads.
int ThreadCount();

// For tests: a count that overrides both (0 gives the choice back), and how many threads the
// last parallel run actually drew with.
void ForceThreadCount(int count);
int LastRunThreads();
// For tests: draw every call as one band over the whole image on the caller's thread, the way
// the calls that cannot be cut into bands are drawn.
void ForceWholeImage(bool whole);
bool WholeImageForced();

// Runs task(context, worker, index) for every index in [0, count), each once, on up to `threads`
// threads including the caller's, and returns when all are done. A thread that cannot be started
// leaves its share to the others. With `order`, the indices are handed out in that order. Without
// `counted`, the run leaves LastRunThreads as it was (work for the drawing, not the drawing).
using BandTask = void (*)(void* context, Worker& worker, int index);
void RunParallel(int count, int threads, BandTask task, void* context, const int* order = nullptr,
                 bool counted = true);

// Most bands a run is ordered for: calls of more bands are many times the thread count, and their
// bands are handed out in turn.
constexpr int kMostOrderedBands = 256;
// Sets order[0..count) to the indices by decreasing weight(index), equal weights in index order,
// when count <= kMostOrderedBands: the heaviest bands start first, so that no thread is left with a
// heavy band at the end while the others wait. Returns order, or null for the natural order.
template <typename Weight>
const int* HeaviestFirst(int count, Weight weight, int (&order)[kMostOrderedBands]) {
    if (count > kMostOrderedBands) return nullptr;
    long long weights[kMostOrderedBands];
    for (int i = 0; i < count; ++i) order[i] = i, weights[i] = static_cast<long long>(weight(i));
    std::sort(order, order + count,
              [&](int a, int b) { return weights[a] != weights[b] ? weights[a] > weights[b] : a < b; });
    return order;
}

// Releases every worker's band planes (after a call whose planes are too large to keep).
void ReleaseBandPlanes();

}  // namespace trivane
