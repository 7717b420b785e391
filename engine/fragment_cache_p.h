#pragma once
// The fragments of the last scene drawn, kept for a call that draws the same scene again with
// other materials, lights, maps or glass (a dialog changing the material over a scene it keeps).
//
// A filled triangle's pixels reach the material's kernel through a queue, in drawing order, with
// everything the kernel is handed: position, depth, normal, texture coordinates and the
// previous-pixel record. None of that depends on the material, so when the geometry and the
// switches that shape it are those of the last call, the queue's contents can be handed to the new
// kernels again without set-up, scan conversion or depth test, and blended into the target in the
// same order: the same bytes as drawing the scene afresh.
//
// The scene is recognised by a copy of what the drawing reads from the arrays (every triangle and
// the vertices it uses) and the switches; there is no call that says a scene is unchanged. The
// first call of a scene only keeps that copy, the second records its fragments, later ones shade
// the recording. Only small images are kept (previews), and only calls drawn in bands, in mode 6,
// without quality or a back-face pass, with the built-in shading and a depth buffer of the
// library's own. A call that does not qualify lets go of everything kept.
#include <cstddef>
#include <vector>

#include "engine/raster_p.h"
#include "engine/shading_p.h"

namespace trivane {

// What one band of rows handed the shading, run by run (a run: one flush of one triangle's queue).
struct BandFragments {
    struct Run {
        int triangle;  // index into the call's triangles
        bool mapped;
        float planeA, planeB, planeC, planeD;
        int first, count;  // into the pixel arrays
    };
    std::vector<Run> runs;
    std::vector<int> column, row;
    std::vector<float> z, nx, ny, nz, u, v;
    std::vector<__PrevInfo> previous;
    // False once a pixel of the band went another way (a kernel that batches or reads the target),
    // or the band outgrew its share of memory: the recording is then not used.
    bool complete = true;
    std::size_t limit = 0;  // most pixels the band may keep

    // Appends one flush of a queue; marks the band incomplete when there is no room.
    void Add(int triangleIndex, bool isMapped, const shading::QueuedPixels& q, const int* columns, const int* rows,
             const __PrevInfo* records);
    void Clear();
};

namespace fragments {

enum class Use {
    Draw,    // draw as usual
    Record,  // draw, recording every band's fragments (SceneCall::fragments)
    Replay,  // shade the recording instead of drawing
};

// Decides how call (drawn in bandCount bands, with stride) is drawn. qualifies: the call is drawn
// in bands, in mode 6, without quality or back faces, with the built-in shading and a depth buffer
// of the library's own. For Record, the bands' recordings are ready, cleared.
Use Begin(const SceneCall& call, int stride, int bandCount, bool qualifies);
BandFragments* Band(int index);
// After a Record call: keeps the recording when every band is complete.
void EndRecording();
// Shades the recording into call's target on up to `threads` threads. False, with nothing drawn,
// when a material of the call no longer takes the queue (the call is then drawn and recorded).
bool Replay(const SceneCall& call, int threads);
// Lets go of everything kept.
void Release();

// For tests: whether scenes are kept and recordings shaded (on by default; off leaves what is kept
// as it is), and how many calls have shaded a recording since the library was loaded.
void KeepScenes(bool keep);
int Replays();

}  // namespace fragments
}  // namespace trivane
