// The drawing threads: their state, how many a call may use, and the parallel run of bands.
#include "engine/worker_p.h"

#include <atomic>
#include <cstdlib>
#include <thread>

#include "platform/platform.h"

namespace trivane {
namespace {

// Worker 0 is the caller's; a parallel run lends 1.. to the threads it starts.
struct Workers {
    Worker list[kMaxThreads];
    ~Workers() {
        for (Worker& w : list) w.planes.Release();
    }
};
Workers g_workers;

thread_local Worker* t_worker = nullptr;
int g_forcedThreads = 0;
int g_lastRunThreads = 0;
bool g_forceWhole = false;

struct Run {
    std::atomic<int> next{0};
    int count;
    BandTask task;
    void* context;
    const int* order;

    void Work(Worker& worker) {
        for (int index = next.fetch_add(1); index < count; index = next.fetch_add(1)) {
            task(context, worker, order != nullptr ? order[index] : index);
        }
    }
};

}  // namespace

Worker& CurrentWorker() { return t_worker != nullptr ? *t_worker : g_workers.list[0]; }
Worker& WorkerAt(int i) { return g_workers.list[i]; }

// Outside a run of bands the switch itself says it (one thread draws, or the shading is called
// directly).
bool BackPass() { return t_worker != nullptr ? t_worker->backPass : _DrawBackFaces1 != 0; }

namespace shading {
ShadingScratch& CurrentShading() { return CurrentWorker().shading; }

void ResetGlassMemory() {
    for (Worker& w : g_workers.list) w.shading.glass.valid = false;
}
}  // namespace shading

void ForceThreadCount(int count) { g_forcedThreads = count; }
int LastRunThreads() { return g_lastRunThreads; }
void ForceWholeImage(bool whole) { g_forceWhole = whole; }
bool WholeImageForced() { return g_forceWhole; }

int ThreadCount() {
    if (g_forcedThreads > 0) return g_forcedThreads < kMaxThreads ? g_forcedThreads : kMaxThreads;
    if (const char* text = std::getenv("TRIVANE_THREADS")) {
        const int wanted = std::atoi(text);
        if (wanted >= 1) return wanted < kMaxThreads ? wanted : kMaxThreads;
    }
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores == 0) return 1;
    return cores < static_cast<unsigned>(kMaxThreads) ? static_cast<int>(cores) : kMaxThreads;
}

void RunParallel(int count, int threads, BandTask task, void* context, const int* order, bool counted) {
    Run run;
    run.count = count;
    run.task = task;
    run.context = context;
    run.order = order;
    if (threads > count) threads = count;
    if (threads > kMaxThreads) threads = kMaxThreads;
    std::thread started[kMaxThreads];
    int running = 0;
    for (int i = 1; i < threads; ++i) {
        try {
            started[running] = std::thread([&run, i] {
                t_worker = &g_workers.list[i];
                run.Work(g_workers.list[i]);
                t_worker = nullptr;
            });
            ++running;
        } catch (...) {
            break;  // the threads started so far and the caller share the rest
        }
    }
    if (counted) g_lastRunThreads = running + 1;
    Worker* before = t_worker;
    t_worker = &g_workers.list[0];
    run.Work(g_workers.list[0]);
    t_worker = before;
    for (int i = 0; i < running; ++i) started[i].join();
}

bool BandPlanes::Reserve(std::size_t depthSize, std::size_t planeSize) {
    // Each part starts on a 64-byte line.
    auto round = [](std::size_t n) { return (n + 63) & ~static_cast<std::size_t>(63); };
    depthSize = round(depthSize);
    planeSize = round(planeSize);
    if (block != nullptr && depthBytes == depthSize && planeBytes == planeSize) return true;
    Release();
    const std::size_t total = depthSize + 3 * planeSize;
    if (total == 0) return true;
    auto* bytes = static_cast<BYTE*>(platform::AllocPages(total));
    if (bytes == nullptr) return false;
    block = bytes;
    depthBytes = depthSize;
    planeBytes = planeSize;
    depth = reinterpret_cast<float*>(bytes);
    layer = bytes + depthSize;
    edge = layer + planeSize;
    underEdge = edge + planeSize;
    return true;
}

void BandPlanes::Release() {
    platform::FreePages(block);
    *this = BandPlanes{};
}

void ReleaseBandPlanes() {
    for (Worker& w : g_workers.list) w.planes.Release();
}

}  // namespace trivane
