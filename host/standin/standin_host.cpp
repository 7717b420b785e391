// The stand-in host: the filter record, the callbacks, and the order of the selectors.
#include "host/standin/standin_p.h"

#include <algorithm>
#include <cstring>

namespace standin {

struct Host::Impl {
    HostOptions options;
    LoadedModule module;
    std::intptr_t dataSlot = 0;  // the plug-in's private slot, kept while the module is loaded
    Handle parameters = nullptr;  // the plug-in's parameter handle, kept likewise

    // Everything the record points at during a call.
    HandleProcs handleProcs{};
    SPBasicSuite basicSuite{};
    ReadDescriptorProcs readProcs{};
    WriteDescriptorProcs writeProcs{};
    PIDescriptorParameters descriptorParameters{};
    BigDocumentStruct bigDocument{};
    PlatformData platformData{};
    Str255 errorString{};
    FilterRecord record{};

    PixelService* pixels = nullptr;
    RunTrace* trace = nullptr;
    std::string serveError;

    void SetUpRecord(const Image& image, RunTrace& runTrace);
    OSErr Call(std::int16_t selector, void* target);
    OSErr Serve();
    void ForgetParameters();
    void ForgetPluginState();
};

namespace {

Host::Impl* gActive = nullptr;  // the host whose call is in progress (callbacks carry no context)

// ---- Callbacks of the filter record -----------------------------------------------------------
Boolean OnAbort() { return gActive && gActive->options.abort && gActive->options.abort(); }

void OnProgress(std::int32_t done, std::int32_t total) {
    if (!gActive) return;
    if (gActive->trace) ++gActive->trace->progressCalls;
    if (gActive->options.progress) gActive->options.progress(done, total);
}

OSErr OnAdvanceState() {
    if (!gActive || !gActive->pixels) return paramErr;
    if (gActive->trace) ++gActive->trace->advanceStateCalls;
    return gActive->Serve();
}

OSErr OnDisplayPixels(const PSPixelMap* source, const VRect* srcRect, std::int32_t, std::int32_t, void*) {
    if (!source || !srcRect) return paramErr;
    if (gActive && gActive->trace) ++gActive->trace->displayPixelsCalls;
    return noErr;  // no screen to draw on
}

bool HasAlpha(const Image& image) {
    const bool gray = image.imageMode == plugInModeGrayScale || image.imageMode == plugInModeGray16;
    return image.planes >= (gray ? 2 : 4);
}

// output := input + (output − input) × mask / 255, rounded to nearest, sample by sample.
void MaskOutput(const Image& input, Image& output) {
    const std::size_t pixels = input.mask.size();
    const std::size_t planes = std::size_t(input.planes);
    const bool wide = input.depth == 16;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::int64_t m = input.mask[i];
        if (m == 255) continue;
        for (std::size_t p = 0; p < planes; ++p) {
            const std::size_t at = i * planes + p;
            std::int64_t before, after;
            if (wide) {
                std::uint16_t a, b;
                std::memcpy(&a, input.data.data() + 2 * at, 2);
                std::memcpy(&b, output.data.data() + 2 * at, 2);
                before = a;
                after = b;
            } else {
                before = input.data[at];
                after = output.data[at];
            }
            const std::int64_t delta = (after - before) * m;
            const std::int64_t blended = before + (delta >= 0 ? (delta + 127) / 255 : -((-delta + 127) / 255));
            if (wide) {
                const std::uint16_t v = std::uint16_t(blended);
                std::memcpy(output.data.data() + 2 * at, &v, 2);
            } else {
                output.data[at] = std::uint8_t(blended);
            }
        }
    }
}

// While alive, callbacks reach this host.
struct ActiveScope {
    explicit ActiveScope(Host::Impl* impl) { gActive = impl; }
    ~ActiveScope() { gActive = nullptr; }
};

}  // namespace

OSErr Host::Impl::Serve() {
    serveError.clear();
    return pixels->Serve(record, *trace, &serveError);
}

OSErr Host::Impl::Call(std::int16_t selector, void* target) {
    std::int16_t result = noErr;
    module.entry(selector, target, &dataSlot, &result);
    if (trace) trace->selectors.push_back(selector);
    if (target == &record) parameters = record.parameters;
    return result;
}

void Host::Impl::SetUpRecord(const Image& image, RunTrace& runTrace) {
    trace = &runTrace;
    const HostKind kind = options.kind;
    handleProcs = MakeHandleProcs(options.handleProcsVersion, options.numHandleProcs, options.handleSizesAnswerZero);
    basicSuite = MakeBasicSuite();
    readProcs = MakeReadDescriptorProcs();
    writeProcs = MakeWriteDescriptorProcs();
    descriptorParameters = {};
    descriptorParameters.descriptorParametersVersion = kCurrentDescriptorParametersVersion;
    descriptorParameters.readDescriptorProcs = options.descriptorProcs ? &readProcs : nullptr;
    descriptorParameters.writeDescriptorProcs = options.descriptorProcs ? &writeProcs : nullptr;
    std::memset(errorString, 0, sizeof errorString);

    // The 16-bit fields of a larger image hold what fits; such a plug-in reads bigDocumentData.
    const std::int16_t width = std::int16_t(std::min(image.width, 32767));
    const std::int16_t height = std::int16_t(std::min(image.height, 32767));
    const Rect whole = {0, 0, height, width};
    bigDocument = {};
    bigDocument.imageSize32 = {image.height, image.width};
    bigDocument.filterRect32 = {0, 0, image.height, image.width};
    bigDocument.wholeSize32 = {image.height, image.width};

    std::memset(static_cast<void*>(&record), 0, sizeof record);  // zero-filled, full size (488 / 608 bytes)
    record.abortProc = OnAbort;
    record.progressProc = OnProgress;
    record.parameters = parameters;
    record.imageSize = {height, width};
    record.planes = image.planes;
    record.filterRect = whole;
    record.background = {65535, 65535, 65535};
    record.foreground = {0, 0, 0};
    record.maxSpace = options.maxSpace;
    record.bufferSpace = options.maxSpace;
    record.haveMask = !image.mask.empty();
    record.autoMask = 1;
    std::memset(record.backColor, 255, 4);
    record.hostSig = kind == HostKind::Photoshop ? kPhotoshopSignature
                     : kind == HostKind::Premiere ? kPremiereSignature
                                                  : FourCC("RmSt");
    record.imageMode = image.imageMode;
    record.imageHRes = record.imageVRes = 72 << 16;
    record.wholeSize = record.imageSize;
    record.platformData = &platformData;
    record.displayPixels = kind == HostKind::Photoshop || kind == HostKind::NoAdvanceState
                               ? (options.displayPixels ? OnDisplayPixels : nullptr)
                               : nullptr;
    record.handleProcs = options.handleProcs ? &handleProcs : nullptr;
    const bool alpha = HasAlpha(image);
    record.filterCase = std::int16_t(alpha ? (record.haveMask ? filterCaseEditableTransparencyWithSelection
                                                              : filterCaseEditableTransparencyNoSelection)
                                           : (record.haveMask ? filterCaseFlatImageWithSelection
                                                              : filterCaseFlatImageNoSelection));
    record.dummyPlaneValue = -1;
    record.advanceState = kind == HostKind::Photoshop ? OnAdvanceState : nullptr;
    record.supportsPadding = 1;
    record.inputPadding = record.outputPadding = record.maskPadding = plugInWantsErrorOnBoundsException;
    record.samplingSupport = hostSupportsIntegralSampling;
    record.inputRate = record.maskRate = 0x10000;
    const std::int16_t colourPlanes = std::int16_t(alpha ? image.planes - 1 : image.planes);
    record.inLayerPlanes = record.outLayerPlanes = record.absLayerPlanes = colourPlanes;
    record.inTransparencyMask = record.outTransparencyMask = record.absTransparencyMask = alpha ? 1 : 0;
    record.inTileHeight = record.outTileHeight = record.absTileHeight = record.maskTileHeight = height;
    record.inTileWidth = record.outTileWidth = record.absTileWidth = record.maskTileWidth = width;
    record.descriptorParameters = options.descriptorParameters ? &descriptorParameters : nullptr;
    record.errorString = &errorString;
    record.sSPBasic = options.basicSuite ? &basicSuite : nullptr;
    record.depth = image.depth;
    record.bigDocumentData = options.bigDocument ? &bigDocument : nullptr;
    record.bufferSpace64 = record.maxSpace64 = options.maxSpace;
}

void Host::Impl::ForgetParameters() {
    if (IsLiveHostHandle(parameters)) DisposeHostHandle(parameters);
    parameters = nullptr;
}

void Host::Impl::ForgetPluginState() {
    if (IsLiveHostHandle(parameters)) DisposeHostHandle(parameters);
    if (IsLiveHostHandle(reinterpret_cast<Handle>(dataSlot))) DisposeHostHandle(reinterpret_cast<Handle>(dataSlot));
    parameters = nullptr;
    dataSlot = 0;
}

// ---- Host --------------------------------------------------------------------------------------
Host::Host(HostOptions options) : impl_(std::make_unique<Impl>()) { impl_->options = std::move(options); }

Host::~Host() {
    impl_->ForgetPluginState();
    UnloadPluginModule(&impl_->module);
}

bool Host::Load(const std::string& modulePath, std::string* error) {
    std::string scratch;
    if (!error) error = &scratch;
    impl_->ForgetPluginState();
    UnloadPluginModule(&impl_->module);
    return LoadPluginModule(modulePath, &impl_->module, error);
}

bool Host::Loaded() const { return impl_->module.entry != nullptr; }

bool Host::Reload(const std::string& modulePath, std::string* error) {
    std::string scratch;
    if (!error) error = &scratch;
    LoadedModule next;
    if (!LoadPluginModule(modulePath, &next, error)) return false;
    UnloadPluginModule(&impl_->module);
    impl_->module = next;
    return true;
}

HostOptions& Host::Options() { return impl_->options; }

std::vector<std::uint8_t> Host::ParameterBytes() const {
    Handle handle = impl_->parameters;
    if (!handle || !*handle) return {};
    std::int32_t size = IsLiveHostHandle(handle) ? reinterpret_cast<HostHandle*>(handle)->size : 0;
    if (size <= 0) return {};
    return std::vector<std::uint8_t>(*handle, *handle + size);
}

void Host::ResetPluginState() { impl_->ForgetPluginState(); }

RunResult Host::About() {
    RunResult result;
    if (!Loaded()) {
        result.code = paramErr;
        result.error = "no plug-in module is loaded";
        return result;
    }
    if (gActive) {
        result.code = paramErr;
        result.error = "another host call is in progress";
        return result;
    }
    ActiveScope active(impl_.get());
    impl_->basicSuite = MakeBasicSuite();
    AboutRecord about{};
    about.platformData = &impl_->platformData;
    about.sSPBasic = impl_->options.basicSuite ? &impl_->basicSuite : nullptr;
    impl_->trace = &result.trace;
    result.code = impl_->Call(filterSelectorAbout, &about);
    impl_->trace = nullptr;
    result.error = ResultText(result.code);
    return result;
}

OSErr Host::CallSelector(std::int16_t selector, Image& image) {
    if (!Loaded() || !image.Problem().empty() || gActive) return paramErr;
    ActiveScope active(impl_.get());
    RunTrace trace;
    Image output = image;
    PixelService pixels(image, output);
    impl_->pixels = &pixels;
    impl_->SetUpRecord(image, trace);
    OSErr code = impl_->Call(selector, &impl_->record);
    impl_->pixels = nullptr;
    impl_->trace = nullptr;
    return code;
}

RunResult Host::Run(Image& image, const RunOptions& run) {
    RunResult result;
    auto fail = [&](OSErr code, std::string text) {
        result.code = code;
        result.error = std::move(text);
        return result;
    };
    if (!Loaded()) return fail(paramErr, "no plug-in module is loaded");
    if (std::string problem = image.Problem(impl_->options.bigDocument); !problem.empty()) return fail(paramErr, problem);
    if (gActive) return fail(paramErr, "another host call is in progress");

    ActiveScope active(impl_.get());
    Impl& host = *impl_;
    if (!host.options.keepParameters) host.ForgetParameters();
    Image output = image;  // a host's output starts as a copy of its input
    if (!host.options.outputStartsAsInput) std::fill(output.data.begin(), output.data.end(), std::uint8_t(0));
    PixelService pixels(image, output);
    pixels.SetSinglePlane(host.options.singlePlaneRequests);
    host.pixels = &pixels;
    host.SetUpRecord(image, result.trace);
    FilterRecord& record = host.record;

    Handle replayed = nullptr;
    if (run.replay) {
        replayed = DescriptorToHandle(*run.replay);
        if (!replayed) return fail(memFullErr, "not enough memory for the replayed descriptor");
        host.descriptorParameters.descriptor = replayed;
        host.descriptorParameters.playInfo = run.playInfo;
    }

    OSErr code = noErr;
    if (host.options.parametersCall == ParametersCall::EveryRun) code = host.Call(filterSelectorParameters, &record);
    if (code == noErr) code = host.Call(filterSelectorPrepare, &record);
    if (code == noErr) {
        code = host.Call(filterSelectorStart, &record);
        if (code == noErr) {
            // The strip path asks for its first strip here; the one-pass path has emptied its rects.
            // A host that tests only the right edges goes on while any of them is not 0.
            const bool rightOnly = host.options.continueUntilRightIsZero;
            auto more = [&] { return rightOnly ? PixelService::AnyRightEdge(record) : PixelService::AnyRequest(record); };
            const std::int64_t maxContinues = std::int64_t(image.height) + 2;  // one-row strips and a margin
            if (PixelService::AnyRequest(record)) code = host.Serve();
            while (code == noErr && more()) {
                if (++result.trace.continueCalls > maxContinues) {
                    host.serveError = "the plug-in asked for more strips than the image has rows";
                    code = paramErr;
                    break;
                }
                code = host.Call(filterSelectorContinue, &record);
                if (code == noErr && PixelService::AnyRequest(record)) code = host.Serve();
            }
            pixels.Commit();
            const OSErr finish = host.Call(filterSelectorFinish, &record);  // Start succeeded
            result.trace.finishCalled = true;
            if (code == noErr) code = finish;
        }
    }

    // What the plug-in recorded (the host owns the descriptor handle).
    Handle recorded = host.descriptorParameters.descriptor;
    Descriptor descriptor;
    if (recorded && recorded != replayed && DescriptorFromHandle(recorded, &descriptor)) {
        result.recorded = std::move(descriptor);
        result.recordInfo = host.descriptorParameters.recordInfo;
    }
    if (IsLiveHostHandle(recorded)) DisposeHostHandle(recorded);
    if (replayed != recorded && IsLiveHostHandle(replayed)) DisposeHostHandle(replayed);
    host.descriptorParameters.descriptor = nullptr;

    host.pixels = nullptr;
    host.trace = nullptr;
    result.code = code;
    if (code == noErr) {
        // autoMask still set: the host masks the output, as hosts do. Each sample moves from the
        // input towards the plug-in's output by the selection's value (255 fully, 0 not at all).
        if (record.autoMask && !host.options.callerMergesSelection && !image.mask.empty()) MaskOutput(image, output);
        image = std::move(output);
    } else if (code == errReportString) {
        const unsigned char* text = host.errorString;
        result.error = "the plug-in reported: " + std::string(reinterpret_cast<const char*>(text + 1), text[0]);
    } else {
        result.error = ResultText(code);
        if (!host.serveError.empty()) result.error += " (" + host.serveError + ")";
    }
    return result;
}

}  // namespace standin
