#pragma once
// The stand-in host: a small filter host that loads a plug-in module and drives it through the
// selectors exactly as a host application does, over an image held in memory.
//
// What it serves: a zero-filled filter record of the full current size; handle procs (a handle
// is a pointer to a block whose first word is the data pointer); advanceState over the requested
// in/out/mask rectangles and plane ranges, with padding and inputRate/maskRate sampling;
// bigDocumentData (32-bit rectangles); descriptor read and write procs; abortProc, progressProc,
// displayPixels; the basic suite; PlatformData; the tile fields. Output starts as a copy of the
// input, as in a real host, and whatever the plug-in writes into outData is copied back.
//
// Callbacks carry no context, so one Host runs at a time per process (a second concurrent Run
// fails with a clear error). Nothing here throws to the caller.

#include "plugin/host_interface.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// ---- The image in host form ----------------------------------------------------------------
// Interleaved samples, rows without gaps: width × planes samples per row. 8-bit samples are
// bytes 0..255; 16-bit samples are native-endian words 0..32768 (32768 is full intensity).
struct Image {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int16_t planes = 3;                       // colour planes plus transparency (1..5 usual)
    std::int16_t imageMode = plugInModeRGBColor;   // 3 RGB, 11 RGB48, 1 gray, 10 gray16, ...
    std::int32_t depth = 8;                        // 8 or 16
    std::vector<std::uint8_t> data;                // width × height × planes × depth/8 bytes
    // Empty (no selection) or width × height bytes: how strongly each pixel is selected, 255
    // fully and 0 not. With autoMask left set by the plug-in the host blends its output into the
    // input by these values, so unselected pixels stay as they were.
    std::vector<std::uint8_t> mask;

    // A zero-filled image; the mode follows from planes and depth (gray 1 plane, RGB otherwise).
    static Image Make(std::int32_t width, std::int32_t height, std::int16_t planes, std::int32_t depth);

    std::int32_t BytesPerSample() const { return depth == 16 ? 2 : 1; }
    std::size_t RowBytes() const { return std::size_t(width) * planes * BytesPerSample(); }
    std::uint32_t Sample(std::int32_t x, std::int32_t y, std::int32_t plane) const;
    void SetSample(std::int32_t x, std::int32_t y, std::int32_t plane, std::uint32_t value);
    // Checks sizes, depth and planes; returns an empty string when the image is usable. Sides of
    // 32768 pixels or more need 32-bit coordinates (bigDocument).
    std::string Problem(bool bigDocument = true) const;
};

// ---- Scripting descriptors -----------------------------------------------------------------
// One recorded or replayed value. Integers, booleans (0/1), enumerations and classes (their
// four-char code) are kept in `number` too; text, alias and object values keep only their type.
struct DescriptorItem {
    DescriptorKeyID key = 0;
    DescriptorTypeID type = typeInteger;  // typeBoolean, typeInteger, typeUnitFloat, typeFloat, ...
    DescriptorUnitID unit = 0;            // for typeUnitFloat (e.g. unitDistance '#Rlt')
    double number = 0;
};
struct Descriptor {
    std::vector<DescriptorItem> items;
};

// ---- How the host behaves ------------------------------------------------------------------
enum class HostKind {
    // '8BIM', advanceState and displayPixels present: the plug-in processes in one pass.
    Photoshop,
    // 'PrMr'. The plug-in recognises this host from the executable's version resource, which the
    // stand-in cannot change; so this kind also withholds advanceState and displayPixels and the
    // plug-in runs its strip path (start, then continue per strip), as it does under that host.
    Premiere,
    // A host of its own signature ('RmSt') without advanceState: the strip path.
    NoAdvanceState,
};

enum class ParametersCall {
    EveryRun,  // the parameters selector before every run (a host that always asks)
    Never,     // never (repeat filter, action playback)
};

struct HostOptions {
    HostKind kind = HostKind::Photoshop;
    ParametersCall parametersCall = ParametersCall::EveryRun;
    std::int32_t maxSpace = 256 << 20;  // bytes offered at prepare
    bool bigDocument = true;            // offer bigDocumentData (32-bit rectangles)
    bool descriptorParameters = true;   // offer descriptorParameters at all
    bool descriptorProcs = true;        // ... with both proc sets (false: present, procs null)
    bool basicSuite = true;             // offer sSPBasic
    bool displayPixels = true;          // offer displayPixels (Photoshop kind only)
    // The handle suite as offered: absent, or with another version or routine count.
    bool handleProcs = true;
    std::int16_t handleProcsVersion = kCurrentHandleProcsVersion;
    std::int16_t numHandleProcs = kCurrentHandleProcsCount;
    // A suite that answers 0 for the size of every handle it made and ignores resizes (while
    // still returning noErr), as some hosts do.
    bool handleSizesAnswerZero = false;
    // Keep the plug-in's parameter handle from one run to the next (false: every run starts
    // without one, as a host that does not save it).
    bool keepParameters = true;
    // Call continue until every rectangle's right edge is 0 (hosts that test only that), rather
    // than until every rectangle is empty.
    bool continueUntilRightIsZero = false;
    // Serve one plane per advanceState request; a request for several planes fails with
    // errPlugInHostInsufficient.
    bool singlePlaneRequests = false;
    // The caller merges the output through the selection itself (GIMP merges its shadow buffer
    // through the selection): the host never masks by it, so the selection is applied once.
    bool callerMergesSelection = false;
    // Start the output as a copy of the input (what hosts do) or all zero, which shows exactly
    // what the plug-in wrote (for tests).
    bool outputStartsAsInput = true;

    std::function<void(std::int32_t done, std::int32_t total)> progress;  // progressProc
    std::function<bool()> abort;                                          // abortProc: true = cancel
};

// One filter run's requests beyond the image itself.
struct RunOptions {
    std::optional<Descriptor> replay;               // a recorded descriptor to play back
    std::int16_t playInfo = plugInDialogDontDisplay;  // how the dialog should behave on replay
};

// What the host saw during a run (for callers that want to know, and for tests).
struct RunTrace {
    std::vector<std::int16_t> selectors;  // in the order called
    std::vector<Rect> inRects;            // every in rectangle served (16-bit view)
    int advanceStateCalls = 0;
    int continueCalls = 0;
    int displayPixelsCalls = 0;
    int progressCalls = 0;
    bool finishCalled = false;
};

struct RunResult {
    OSErr code = noErr;           // the plug-in's result (or the host's own error)
    std::string error;            // clear text for a non-zero code; empty on success
    std::optional<Descriptor> recorded;  // what the plug-in recorded at finish, if anything
    std::int16_t recordInfo = plugInDialogOptional;
    RunTrace trace;
};

// Text for a host result code ("the user cancelled", "not enough memory", ...).
std::string ResultText(OSErr code);

// ---- The PiPL resource ----------------------------------------------------------------------
// What a host reads from a PiPL property list (Windows layout: int16 1, int32 version, int32
// count, then properties of vendor, key, id, length, data padded to 4 bytes). Lengths are rounded
// up to 4 and a count larger than the properties present is tolerated.
struct PiPLInfo {
    OSType kind = 0;          // 'kind' ('8BFM' for a filter)
    std::int32_t version = 0; // 'vers'
    std::string name;         // 'name'
    std::string category;     // 'catg'
    std::string entry32;      // 'wx86'
    std::string entry64;      // '8664'
    int properties = 0;       // properties actually read
};
// Returns false (with *error) when the bytes are not a PiPL property list.
bool ParsePiPL(const std::uint8_t* bytes, std::size_t size, PiPLInfo* info, std::string* error);

// ---- The host ------------------------------------------------------------------------------
class Host {
public:
    explicit Host(HostOptions options = {});
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Loads the plug-in module and finds its entry as a host does: through the PiPL resource on
    // Windows ('wx86' in a 32-bit process, '8664' in a 64-bit one), by the name PluginMain on
    // POSIX. Returns false and fills *error on failure.
    bool Load(const std::string& modulePath, std::string* error);
    bool Loaded() const;

    HostOptions& Options();

    // Loads a module again (another copy, or the same file anew) while keeping what the host
    // keeps for the plug-in (its parameters and its data slot), as a host that unloads its filters
    // between runs does. The previous module is unloaded after the new one is loaded.
    bool Reload(const std::string& modulePath, std::string* error);

    // The about selector.
    RunResult About();

    // One filter run over `image`, changed in place on success and left as it was on failure:
    // [parameters] → prepare → start → continue… → finish (finish whenever start succeeded).
    RunResult Run(Image& image, const RunOptions& run = {});

    // One selector with a fresh record over `image` (image left unchanged): for probing how the
    // plug-in answers selectors outside a run, e.g. unknown ones.
    OSErr CallSelector(std::int16_t selector, Image& image);

    // The parameter record the plug-in keeps in the host between runs (raw bytes; empty when none).
    std::vector<std::uint8_t> ParameterBytes() const;
    // Forgets the plug-in's parameters and private data, as a restarted host would.
    void ResetPluginState();

    struct Impl;  // private to the stand-in's sources

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace standin
