// The fragments of the last scene drawn: recognising the scene, recording its bands and shading the
// recording again (see fragment_cache_p.h).
#include "engine/fragment_cache_p.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "engine/raster_fill_p.h"
#include "engine/worker_p.h"

namespace trivane {
namespace {

// Images of more pixels than this are not kept (final renders): a recording holds every shaded
// pixel of the call, about 72 bytes each.
constexpr std::size_t kMostPixels = std::size_t{1} << 20;
// Most pixels a recording may hold in all (about 38 MB).
constexpr std::size_t kMostFragments = std::size_t{1} << 19;

// What the drawing reads of one vertex: the vertex record with its padding and tag zeroed (laid out
// alike, so that it is copied in a few wide moves).
struct KeyPoint {
    float x, y, z;
    std::uint32_t mapped;  // 0xFFFFFFFF: a negative index
    float u, v;
    std::uint32_t tag;  // 0
    float nx, ny, nz;
};
static_assert(sizeof(KeyPoint) == sizeof(__Point3ds) && offsetof(KeyPoint, u) == offsetof(__Point3ds, u) &&
              offsetof(KeyPoint, nx) == offsetof(__Point3ds, nx));

// The switches and sizes that shape the fragments (all four-byte fields: compared byte for byte).
struct KeySwitches {
    int width, height, stride, cx, cy, triangleCount, bandCount;
    int deep, doubleSided, multipleRefraction;
    float perspective, perspectiveFar, perspectiveX, perspectiveY;
};

struct SceneKey {
    KeySwitches switches{};
    std::vector<__Triangle3ds> triangles;
    std::vector<KeyPoint> points;

    void Build(const SceneCall& call, int stride, int bandCount) {
        switches = KeySwitches{call.width, call.height, stride, call.cx, call.cy, call.triangleCount, bandCount,
                               _Deep, _DubleSide, _UseMultyRefract, _Persp_Val, _Persp_Far, _Persp_x, _Persp_y};
        const std::size_t count = static_cast<std::size_t>(call.triangleCount);
        triangles.assign(call.triangles, call.triangles + count);
        points.resize(count * 3);
        const __Point3ds* source = call.points;
        auto copy = [source](std::int32_t index, KeyPoint& key) {
            if (index < 0) {
                key = KeyPoint{0, 0, 0, 0xFFFFFFFFu, 0, 0, 0, 0, 0, 0};
                return;
            }
            const __Point3ds& p = source[index];
            std::memcpy(&key, &p, sizeof key);
            key.mapped = p.mapped;
            key.tag = 0;
        };
        KeyPoint* key = points.data();
        for (std::size_t i = 0; i < count; ++i, key += 3) {
            const __Triangle3ds& t = call.triangles[i];
            copy(t.v0, key[0]);
            copy(t.v1, key[1]);
            copy(t.v2, key[2]);
        }
    }

    bool operator==(const SceneKey& other) const {
        return std::memcmp(&switches, &other.switches, sizeof switches) == 0 &&
               triangles.size() == other.triangles.size() && points.size() == other.points.size() &&
               std::memcmp(triangles.data(), other.triangles.data(), triangles.size() * sizeof(__Triangle3ds)) == 0 &&
               std::memcmp(points.data(), other.points.data(), points.size() * sizeof(KeyPoint)) == 0;
    }

    void Release() {
        std::vector<__Triangle3ds>().swap(triangles);
        std::vector<KeyPoint>().swap(points);
    }
};

struct Kept {
    bool keep = true;
    bool hasScene = false;   // `scene` is the last call's
    bool recorded = false;   // `bands` hold its fragments
    std::atomic<bool> tooLarge{false};  // its fragments do not fit the budget (set by the bands)
    SceneKey scene, next;
    std::vector<BandFragments> bands;
};
Kept g_kept;
std::atomic<std::size_t> g_fragmentsUsed{0};
int g_replays = 0;

void ReleaseBands() {
    std::vector<BandFragments>().swap(g_kept.bands);
    g_fragmentsUsed = 0;
    g_kept.recorded = false;
}

// The plan a recorded run's triangle gets in this call, as its triangle shading would look it up.
const shading::Plan& PlanOfRun(const SceneCall& call, const BandFragments::Run& run) {
    return shading::PlanFor(&call.triangles[run.triangle], call.materials, call.materialCount, call.textures,
                            call.lightCount, call.lights, call.glass, run.mapped);
}

struct ReplayJob {
    const SceneCall* call;
};

template <typename S>
void ReplayRuns(const SceneCall& call, const BandFragments& band) {
    const DirectWriter<S> out{call.target, 0, static_cast<float>(g_state.fullScale)};
    const float originX = static_cast<float>(call.cx), originY = static_cast<float>(call.cy);
    constexpr int kMostRun = shading::kMostQueued;  // a queue's flush
    float x[kMostRun], y[kMostRun], z[kMostRun], nx[kMostRun], ny[kMostRun], nz[kMostRun], u[kMostRun], v[kMostRun];
    float red[kMostRun], green[kMostRun], blue[kMostRun], opacity[kMostRun];
    const __PrevInfo* previous[kMostRun];
    for (const BandFragments::Run& run : band.runs) {
        const std::size_t first = static_cast<std::size_t>(run.first);
        // The run's pixels, the last group of eight filled with the last pixel (for the steps on
        // lanes, as the queue has them).
        const int padded = (run.count + 7) / 8 * 8;
        for (int i = 0; i < padded; ++i) {
            const std::size_t at = first + static_cast<std::size_t>(i < run.count ? i : run.count - 1);
            x[i] = static_cast<float>(band.column[at]) - originX;
            y[i] = static_cast<float>(band.row[at]) - originY;
            z[i] = band.z[at], nx[i] = band.nx[at], ny[i] = band.ny[at], nz[i] = band.nz[at];
            u[i] = band.u[at], v[i] = band.v[at];
            previous[i] = &band.previous[at];
        }
        shading::QueuedPixels q;
        q.count = run.count;
        q.padded = padded;
        q.originX = originX, q.originY = originY;
        q.target = call.target, q.background = call.background;
        q.planeA = run.planeA, q.planeB = run.planeB, q.planeC = run.planeC, q.planeD = run.planeD;
        q.x = x, q.y = y, q.z = z, q.nx = nx, q.ny = ny, q.nz = nz, q.u = u, q.v = v;
        q.previous = previous;
        q.red = red, q.green = green, q.blue = blue, q.opacity = opacity;
        shading::ShadeQueued(PlanOfRun(call, run), q);
        fill_detail::WriteQueued(out, q, &band.column[first], &band.row[first], nullptr);
    }
}

void ReplayBand(void* context, Worker&, int index) {
    const SceneCall& call = *static_cast<const ReplayJob*>(context)->call;
    const BandFragments& band = g_kept.bands[static_cast<std::size_t>(index)];
    if (_Deep) {
        ReplayRuns<std::uint16_t>(call, band);
    } else {
        ReplayRuns<BYTE>(call, band);
    }
}

}  // namespace

void BandFragments::Add(int triangleIndex, bool isMapped, const shading::QueuedPixels& q, const int* columns,
                        const int* rows, const __PrevInfo* records) {
    if (!complete) return;
    const std::size_t count = static_cast<std::size_t>(q.count);
    if (g_fragmentsUsed.fetch_add(count) + count > kMostFragments) {
        complete = false;
        g_kept.tooLarge = true;
        return;
    }
    try {
        runs.push_back(Run{triangleIndex, isMapped, q.planeA, q.planeB, q.planeC, q.planeD,
                           static_cast<int>(z.size()), q.count});
        column.insert(column.end(), columns, columns + count);
        row.insert(row.end(), rows, rows + count);
        z.insert(z.end(), q.z, q.z + count);
        nx.insert(nx.end(), q.nx, q.nx + count);
        ny.insert(ny.end(), q.ny, q.ny + count);
        nz.insert(nz.end(), q.nz, q.nz + count);
        u.insert(u.end(), q.u, q.u + count);
        v.insert(v.end(), q.v, q.v + count);
        previous.insert(previous.end(), records, records + count);
    } catch (const std::bad_alloc&) {
        complete = false;
        g_kept.tooLarge = true;
    }
}

void BandFragments::Clear() {
    runs.clear();
    column.clear(), row.clear();
    z.clear(), nx.clear(), ny.clear(), nz.clear(), u.clear(), v.clear();
    previous.clear();
    complete = true;
}

namespace fragments {

Use Begin(const SceneCall& call, int stride, int bandCount, bool qualifies) {
    const std::size_t pixels = static_cast<std::size_t>(call.width) * static_cast<std::size_t>(call.height);
    if (!g_kept.keep) return Use::Draw;  // (tests) neither kept nor let go
    if (!qualifies || pixels > kMostPixels || call.triangleCount <= 0) {
        Release();
        return Use::Draw;
    }
    try {
        g_kept.next.Build(call, stride, bandCount);
    } catch (const std::bad_alloc&) {
        Release();
        return Use::Draw;
    }
    if (g_kept.hasScene && g_kept.next == g_kept.scene) {
        if (g_kept.recorded) return Use::Replay;
        if (g_kept.tooLarge) return Use::Draw;
        try {
            g_kept.bands.resize(static_cast<std::size_t>(bandCount));
        } catch (const std::bad_alloc&) {
            ReleaseBands();
            return Use::Draw;
        }
        for (BandFragments& band : g_kept.bands) band.Clear();
        g_fragmentsUsed = 0;
        return Use::Record;
    }
    std::swap(g_kept.scene, g_kept.next);
    g_kept.hasScene = true;
    g_kept.tooLarge = false;
    ReleaseBands();
    return Use::Draw;
}

BandFragments* Band(int index) { return &g_kept.bands[static_cast<std::size_t>(index)]; }

void EndRecording() {
    bool complete = true;
    for (const BandFragments& band : g_kept.bands) complete = complete && band.complete;
    if (complete) {
        g_kept.recorded = true;
    } else {
        ReleaseBands();
    }
}

bool Replay(const SceneCall& call, int threads) {
    // Every run's material must still take the queue; else nothing is drawn here.
    for (BandFragments& band : g_kept.bands) {
        int last = -1;
        for (const BandFragments::Run& run : band.runs) {
            if (run.triangle == last) continue;
            last = run.triangle;
            const shading::Plan& plan = PlanOfRun(call, run);
            if (shading::SeesTarget(plan) || shading::Batches(plan)) {
                for (BandFragments& b : g_kept.bands) b.Clear();
                g_kept.recorded = false;
                g_fragmentsUsed = 0;
                return false;
            }
        }
    }
    ReplayJob job{&call};
    const int count = static_cast<int>(g_kept.bands.size());
    int order[kMostOrderedBands];
    const int* heaviest = HeaviestFirst(count, [](int b) { return g_kept.bands[static_cast<std::size_t>(b)].z.size(); },
                                        order);
    RunParallel(count, threads, ReplayBand, &job, heaviest);
    ++g_replays;
    return true;
}

void Release() {
    g_kept.hasScene = false;
    g_kept.tooLarge = false;
    g_kept.scene.Release();
    g_kept.next.Release();
    ReleaseBands();
}

void KeepScenes(bool keep) { g_kept.keep = keep; }

int Replays() { return g_replays; }

}  // namespace fragments
}  // namespace trivane
