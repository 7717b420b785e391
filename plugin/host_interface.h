#pragma once
// The host side of the filter plug-in interface: the records, callback suites and constants a
// filter host and a filter plug-in exchange. Written from the published record layouts; every
// offset is pinned in host_interface_layout.cpp for both Windows targets (and, with the same
// 64-bit layout, for Linux x86_64).
//
// Layout rules:
// - FilterRecord and BigDocumentStruct are packed to 4 on every platform (so pointers in the
//   record sit on 4-byte boundaries on 64-bit systems).
// - Every other record and callback suite keeps the compiler's natural alignment.
// - All callbacks use the C calling convention.
//
// No operating-system header is included here; the portable libraries may use this file.

#include <cstddef>
#include <cstdint>

// ---- Basic types ---------------------------------------------------------------------------
using Boolean = std::uint8_t;     // 1 = true
using OSErr = std::int16_t;       // host result code
using SPErr = std::int32_t;       // result code of the basic suite
using SPBoolean = std::int32_t;   // 4 bytes on Windows
using Fixed = std::int32_t;       // 16.16 fixed point; 1.0 = 0x10000
using OSType = std::uint32_t;     // four-character code as a number
using ResType = std::uint32_t;
using PIType = std::uint32_t;
using DescriptorKeyID = std::uint32_t;
using DescriptorTypeID = std::uint32_t;
using DescriptorUnitID = std::uint32_t;
using DescriptorEnumID = std::uint32_t;
using DescriptorClassID = std::uint32_t;
using Ptr = char*;
using Handle = char**;            // pointer to a block whose first word is the data pointer
using Str255 = unsigned char[256];  // length byte, then up to 255 bytes
using ConstStr255Param = const unsigned char*;

// FourCC("8BIM") == 0x3842494D: four-character codes, shared with the parameter table.
#include "params/four_cc.h"

struct Point {  // row first
    std::int16_t v, h;
};
struct Rect {  // empty when right <= left or bottom <= top
    std::int16_t top, left, bottom, right;
};
struct VPoint {
    std::int32_t v, h;
};
struct VRect {
    std::int32_t top, left, bottom, right;
};
struct PSRGBColor {  // 0..65535 per channel
    std::uint16_t red, green, blue;
};
using FilterColor = std::uint8_t[4];  // a colour in the image's own mode

struct PlugInMonitor {
    Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};

// What FilterRecord.platformData and AboutRecord.platformData point at.
struct PlatformData {
    std::intptr_t hwnd;  // the host's main window
};

// ---- Pixel maps for displayPixels ----------------------------------------------------------
struct PSPixelMask {
    PSPixelMask* next;
    void* maskData;
    std::int32_t rowBytes;
    std::int32_t colBytes;
    std::int32_t maskDescription;
};

struct PSPixelOverlay {
    PSPixelOverlay* next;
    void* data;
    std::int32_t rowBytes;
    std::int32_t colBytes;
    std::uint8_t r, g, b, opacity;
    std::int32_t overlayAlgorithm;
};

struct PSPixelMap {
    std::int32_t version;  // 1..3
    VRect bounds;
    std::int32_t imageMode;
    std::int32_t rowBytes;
    std::int32_t colBytes;
    std::int32_t planeBytes;
    void* baseAddr;
    void* mat;
    PSPixelMask* masks;
    std::int32_t maskPhaseRow;
    std::int32_t maskPhaseCol;
    PSPixelOverlay* pixelOverlays;
    std::uint32_t colorManagementOptions;
    std::int16_t depth;  // version 3
};

struct ColorServicesInfo {
    std::int32_t infoSize;
    std::int16_t selector;
    std::int16_t sourceSpace;
    std::int16_t resultSpace;
    Boolean resultGamutInfoValid;
    Boolean resultInGamut;
    void* reservedSourceSpaceInfo;
    void* reservedResultSpaceInfo;
    std::int16_t colorComponents[4];
    void* reserved;
    void* selectorParameter;
};

// ---- Direct callbacks of the filter record -------------------------------------------------
using TestAbortProc = Boolean (*)();                            // true: the user cancelled
using ProgressProc = void (*)(std::int32_t done, std::int32_t total);
using HostProc = void (*)(std::int16_t selector, std::intptr_t* data);
using ProcessEventProc = void (*)(void* event);
using DisplayPixelsProc = OSErr (*)(const PSPixelMap* source, const VRect* srcRect, std::int32_t dstRow,
                                    std::int32_t dstCol, void* platformContext);  // HDC on Windows
using AdvanceStateProc = OSErr (*)();
using GetPropertyProc = OSErr (*)(PIType signature, PIType key, std::int32_t index, std::intptr_t* simpleProperty,
                                  Handle* complexProperty);
using SetPropertyProc = OSErr (*)(PIType signature, PIType key, std::int32_t index, std::intptr_t simpleProperty,
                                  Handle complexProperty);
using ColorServicesProc = OSErr (*)(ColorServicesInfo* info);
using UnusedProc = void (*)();  // routines of suites this plug-in never calls

// ---- Callback suites -----------------------------------------------------------------------
struct HandleProcs {
    std::int16_t handleProcsVersion;  // kCurrentHandleProcsVersion
    std::int16_t numHandleProcs;      // 8
    Handle (*newProc)(std::int32_t size);
    void (*disposeProc)(Handle h);
    std::int32_t (*getSizeProc)(Handle h);
    OSErr (*setSizeProc)(Handle h, std::int32_t newSize);
    Ptr (*lockProc)(Handle h, Boolean moveHigh);
    void (*unlockProc)(Handle h);
    void (*recoverSpaceProc)(std::int32_t size);
    void (*disposeRegularHandleProc)(Handle h);
};

using BufferID = struct OpaqueBuffer*;
struct BufferProcs {
    std::int16_t bufferProcsVersion;
    std::int16_t numBufferProcs;
    OSErr (*allocateProc)(std::int32_t size, BufferID* id);
    Ptr (*lockProc)(BufferID id, Boolean moveHigh);
    void (*unlockProc)(BufferID id);
    void (*freeProc)(BufferID id);
    std::int32_t (*spaceProc)();
    OSErr (*reserveProc)(std::int32_t size);
    OSErr (*allocateProc64)(std::int64_t size, BufferID* id);
    std::int64_t (*spaceProc64)();
};

struct ResourceProcs {
    std::int16_t resourceProcsVersion;
    std::int16_t numResourceProcs;
    std::int16_t (*countProc)(ResType type);
    Handle (*getProc)(ResType type, std::int16_t index);
    void (*deleteProc)(ResType type, std::int16_t index);
    OSErr (*addProc)(ResType type, Handle data);
};

struct PropertyProcs {
    std::int16_t propertyProcsVersion;
    std::int16_t numPropertyProcs;
    GetPropertyProc getPropertyProc;
    SetPropertyProc setPropertyProc;
};

struct ImageServicesProcs {
    std::int16_t imageServicesProcsVersion;
    std::int16_t numImageServicesProcs;
    UnusedProc interpolate1DProc;
    UnusedProc interpolate2DProc;
    UnusedProc interpolate1DMultiProc;
    UnusedProc interpolate2DMultiProc;
    UnusedProc interpolate1DMulti32Proc;
    UnusedProc interpolate2DMulti32Proc;
};

struct ChannelPortProcs {
    std::int16_t channelPortProcsVersion;
    std::int16_t numChannelPortProcs;
    UnusedProc readPixelsProc;
    UnusedProc writeBasePixelsProc;
    UnusedProc readPortForWritePortProc;
};

// The basic suite (suite lookup and block memory).
struct SPBasicSuite {
    SPErr (*AcquireSuite)(const char* name, std::int32_t version, const void** suite);
    SPErr (*ReleaseSuite)(const char* name, std::int32_t version);
    SPBoolean (*IsEqual)(const char* token1, const char* token2);
    SPErr (*AllocateBlock)(std::size_t size, void** block);
    SPErr (*FreeBlock)(void* block);
    SPErr (*ReallocateBlock)(void* block, std::size_t newSize, void** newBlock);
    SPErr (*Undefined)();
};

// ---- Scripting descriptors -----------------------------------------------------------------
using PIDescriptorHandle = Handle;
using PIReadDescriptor = struct OpaqueReadDescriptor*;
using PIWriteDescriptor = struct OpaqueWriteDescriptor*;

struct PIDescriptorSimpleReference {
    DescriptorTypeID desiredClass;
    DescriptorKeyID keyForm;
    struct {
        Str255 name;
        std::int32_t index;
        DescriptorTypeID type;
        DescriptorEnumID value;
    } keyData;
};

struct ReadDescriptorProcs {
    std::int16_t readDescriptorProcsVersion;  // kCurrentReadDescriptorProcsVersion
    std::int16_t numReadDescriptorProcs;      // 18
    // keyArray: zero-terminated list of the expected keys; the host zeroes each key it returns.
    PIReadDescriptor (*openReadDescriptorProc)(PIDescriptorHandle descriptor, DescriptorKeyID* keyArray);
    OSErr (*closeReadDescriptorProc)(PIReadDescriptor rd);  // the worst error the getters left
    Boolean (*getKeyProc)(PIReadDescriptor rd, DescriptorKeyID* key, DescriptorTypeID* type, std::int32_t* flags);
    OSErr (*getIntegerProc)(PIReadDescriptor rd, std::int32_t* value);
    OSErr (*getFloatProc)(PIReadDescriptor rd, double* value);
    OSErr (*getUnitFloatProc)(PIReadDescriptor rd, DescriptorUnitID* unit, double* value);
    OSErr (*getBooleanProc)(PIReadDescriptor rd, Boolean* value);
    OSErr (*getTextProc)(PIReadDescriptor rd, Handle* value);
    OSErr (*getAliasProc)(PIReadDescriptor rd, Handle* value);
    OSErr (*getEnumeratedProc)(PIReadDescriptor rd, DescriptorEnumID* value);
    OSErr (*getClassProc)(PIReadDescriptor rd, DescriptorTypeID* value);
    OSErr (*getSimpleReferenceProc)(PIReadDescriptor rd, PIDescriptorSimpleReference* value);
    OSErr (*getObjectProc)(PIReadDescriptor rd, DescriptorTypeID* type, PIDescriptorHandle* value);
    OSErr (*getCountProc)(PIReadDescriptor rd, std::uint32_t* value);
    OSErr (*getStringProc)(PIReadDescriptor rd, Str255* value);
    OSErr (*getPinnedIntegerProc)(PIReadDescriptor rd, std::int32_t min, std::int32_t max, std::int32_t* value);
    OSErr (*getPinnedFloatProc)(PIReadDescriptor rd, const double* min, const double* max, double* value);
    OSErr (*getPinnedUnitFloatProc)(PIReadDescriptor rd, const double* min, const double* max,
                                    DescriptorUnitID* unit, double* value);
};

struct WriteDescriptorProcs {
    std::int16_t writeDescriptorProcsVersion;  // kCurrentWriteDescriptorProcsVersion
    std::int16_t numWriteDescriptorProcs;      // 16
    PIWriteDescriptor (*openWriteDescriptorProc)();
    OSErr (*closeWriteDescriptorProc)(PIWriteDescriptor wd, PIDescriptorHandle* newDescriptor);
    OSErr (*putIntegerProc)(PIWriteDescriptor wd, DescriptorKeyID key, std::int32_t value);
    OSErr (*putFloatProc)(PIWriteDescriptor wd, DescriptorKeyID key, const double* value);
    OSErr (*putUnitFloatProc)(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorUnitID unit, const double* value);
    OSErr (*putBooleanProc)(PIWriteDescriptor wd, DescriptorKeyID key, Boolean value);
    OSErr (*putTextProc)(PIWriteDescriptor wd, DescriptorKeyID key, Handle value);
    OSErr (*putAliasProc)(PIWriteDescriptor wd, DescriptorKeyID key, Handle value);
    OSErr (*putEnumeratedProc)(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID type,
                               DescriptorEnumID value);
    OSErr (*putClassProc)(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID value);
    OSErr (*putSimpleReferenceProc)(PIWriteDescriptor wd, DescriptorKeyID key,
                                    const PIDescriptorSimpleReference* value);
    OSErr (*putObjectProc)(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID type,
                           PIDescriptorHandle value);
    OSErr (*putCountProc)(PIWriteDescriptor wd, DescriptorKeyID key, std::uint32_t value);
    OSErr (*putStringProc)(PIWriteDescriptor wd, DescriptorKeyID key, ConstStr255Param value);
    OSErr (*putScopedClassProc)(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID value);
    OSErr (*putScopedObjectProc)(PIWriteDescriptor wd, DescriptorKeyID key, DescriptorTypeID type,
                                 PIDescriptorHandle value);
};

struct PIDescriptorParameters {
    std::int16_t descriptorParametersVersion;  // kCurrentDescriptorParametersVersion
    std::int16_t playInfo;                      // plugInDialog{DontDisplay,Display,Silent}
    std::int16_t recordInfo;                    // plugInDialog{Optional,Required,None}
    PIDescriptorHandle descriptor;              // owned by the host
    WriteDescriptorProcs* writeDescriptorProcs;
    ReadDescriptorProcs* readDescriptorProcs;
};

// ---- The about record (selector 0) -----------------------------------------------------------
struct AboutRecord {
    void* platformData;  // PlatformData*
    SPBasicSuite* sSPBasic;
    void* plugInRef;
    char reserved[244];
};

struct ReadImageDocumentDesc;  // not used by this plug-in

// One entry of the 'fici' resource property (byte-packed; entry i describes filter case i + 1).
struct FilterCaseInfo {
    std::uint8_t inputHandling;
    std::uint8_t outputHandling;
    std::uint8_t flags1;
    std::uint8_t flags2;
};

// ---- The filter record (selectors 1..5) and its 32-bit rectangles -------------------------
#pragma pack(push, 4)

struct BigDocumentStruct {
    std::int32_t PluginUsing32BitCoordinates;  // set by the plug-in on every call to use the fields below
    VPoint imageSize32;
    VRect filterRect32;
    VRect inRect32;
    VRect outRect32;
    VRect maskRect32;
    VPoint floatCoord32;
    VPoint wholeSize32;
};

struct FilterRecord {
    std::int32_t serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters;
    Point imageSize;
    std::int16_t planes;
    Rect filterRect;
    PSRGBColor background;
    PSRGBColor foreground;
    std::int32_t maxSpace;
    std::int32_t bufferSpace;
    Rect inRect;
    std::int16_t inLoPlane;
    std::int16_t inHiPlane;
    Rect outRect;
    std::int16_t outLoPlane;
    std::int16_t outHiPlane;
    void* inData;
    std::int32_t inRowBytes;
    void* outData;
    std::int32_t outRowBytes;
    Boolean isFloating;
    Boolean haveMask;
    Boolean autoMask;
    Rect maskRect;
    void* maskData;
    std::int32_t maskRowBytes;
    FilterColor backColor;
    FilterColor foreColor;
    OSType hostSig;
    HostProc hostProc;
    std::int16_t imageMode;
    Fixed imageHRes;
    Fixed imageVRes;
    Point floatCoord;
    Point wholeSize;
    PlugInMonitor monitor;
    void* platformData;  // PlatformData*
    BufferProcs* bufferProcs;
    ResourceProcs* resourceProcs;
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;
    Boolean supportsDummyChannels;
    Boolean supportsAlternateLayouts;
    std::int16_t wantLayout;
    std::int16_t filterCase;
    std::int16_t dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    Boolean supportsAbsolute;
    Boolean wantsAbsolute;
    GetPropertyProc getPropertyObsolete;
    Boolean cannotUndo;
    Boolean supportsPadding;
    std::int16_t inputPadding;
    std::int16_t outputPadding;
    std::int16_t maskPadding;
    char samplingSupport;
    char reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    std::int16_t inLayerPlanes;
    std::int16_t inTransparencyMask;
    std::int16_t inLayerMasks;
    std::int16_t inInvertedLayerMasks;
    std::int16_t inNonLayerPlanes;
    std::int16_t outLayerPlanes;
    std::int16_t outTransparencyMask;
    std::int16_t outLayerMasks;
    std::int16_t outInvertedLayerMasks;
    std::int16_t outNonLayerPlanes;
    std::int16_t absLayerPlanes;
    std::int16_t absTransparencyMask;
    std::int16_t absLayerMasks;
    std::int16_t absInvertedLayerMasks;
    std::int16_t absNonLayerPlanes;
    std::int16_t inPreDummyPlanes;
    std::int16_t inPostDummyPlanes;
    std::int16_t outPreDummyPlanes;
    std::int16_t outPostDummyPlanes;
    std::int32_t inColumnBytes;
    std::int32_t inPlaneBytes;
    std::int32_t outColumnBytes;
    std::int32_t outPlaneBytes;
    ImageServicesProcs* imageServicesProcs;
    PropertyProcs* propertyProcs;
    std::int16_t inTileHeight;
    std::int16_t inTileWidth;
    Point inTileOrigin;
    std::int16_t absTileHeight;
    std::int16_t absTileWidth;
    Point absTileOrigin;
    std::int16_t outTileHeight;
    std::int16_t outTileWidth;
    Point outTileOrigin;
    std::int16_t maskTileHeight;
    std::int16_t maskTileWidth;
    Point maskTileOrigin;
    PIDescriptorParameters* descriptorParameters;
    Str255* errorString;
    ChannelPortProcs* channelPortProcs;
    ReadImageDocumentDesc* documentInfo;
    SPBasicSuite* sSPBasic;
    void* plugInRef;
    std::int32_t depth;  // bits per channel
    Handle iCCprofileData;
    std::int32_t iCCprofileSize;
    std::int32_t canUseICCProfiles;
    std::int32_t hasImageScrap;
    BigDocumentStruct* bigDocumentData;
    PIDescriptorParameters* input3DScene;
    PIDescriptorParameters* output3DScene;
    Boolean createNewLayer;
    Handle iCCWorkingProfileData;
    std::int32_t iCCWorkingProfileSize;
    std::int64_t bufferSpace64;
    std::int64_t maxSpace64;
    Boolean allowOverrangeColors;
    char reserved[45];
};

#pragma pack(pop)

// ---- The entry point -----------------------------------------------------------------------
// record: AboutRecord* for selector 0, FilterRecord* otherwise. data: the plug-in's private slot,
// kept by the host between calls. result: written on every call.
using PluginMainProc = void (*)(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result);

// ---- Selectors -----------------------------------------------------------------------------
constexpr std::int16_t filterSelectorAbout = 0;
constexpr std::int16_t filterSelectorParameters = 1;
constexpr std::int16_t filterSelectorPrepare = 2;
constexpr std::int16_t filterSelectorStart = 3;
constexpr std::int16_t filterSelectorContinue = 4;
constexpr std::int16_t filterSelectorFinish = 5;

// ---- Result codes --------------------------------------------------------------------------
constexpr OSErr noErr = 0;
constexpr OSErr coercedParamErr = 2;
constexpr OSErr userCanceledErr = -128;
constexpr OSErr memFullErr = -108;
constexpr OSErr nilHandleErr = -109;
constexpr OSErr memWZErr = -111;
constexpr OSErr paramErr = -50;
constexpr OSErr readErr = -19;
constexpr OSErr writErr = -20;
constexpr OSErr openErr = -23;
constexpr OSErr dskFulErr = -34;
constexpr OSErr ioErr = -36;
constexpr OSErr eofErr = -39;
constexpr OSErr fnfErr = -43;
constexpr OSErr errMissingParameter = -1715;
constexpr OSErr filterBadParameters = -30100;
constexpr OSErr filterBadMode = -30101;
constexpr OSErr errPlugInHostInsufficient = -30900;
constexpr OSErr errPlugInPropertyUndefined = -30901;
constexpr OSErr errReportString = -30904;
constexpr OSErr errHostVersionIncompatible = -30905;

constexpr SPErr kSPNoError = 0;
constexpr SPErr kSPOutOfMemoryError = -108;
constexpr SPErr kSPSuiteNotFoundError = SPErr(FourCC("S!Fd"));
constexpr SPErr kSPBadParameterError = SPErr(FourCC("Parm"));

// ---- Suite versions ------------------------------------------------------------------------
constexpr std::int16_t kCurrentHandleProcsVersion = 1;
constexpr std::int16_t kCurrentBufferProcsVersion = 2;
constexpr std::int16_t kCurrentResourceProcsVersion = 3;
constexpr std::int16_t kCurrentPropertyProcsVersion = 1;
constexpr std::int16_t kCurrentImageServicesProcsVersion = 1;
constexpr std::int16_t kCurrentChannelPortProcsVersion = 1;
constexpr std::int16_t kCurrentDescriptorParametersVersion = 0;
constexpr std::int16_t kCurrentReadDescriptorProcsVersion = 0;
constexpr std::int16_t kCurrentWriteDescriptorProcsVersion = 0;
constexpr std::int16_t kCurrentHandleProcsCount = 8;
constexpr std::int16_t kCurrentReadDescriptorProcsCount = 18;
constexpr std::int16_t kCurrentWriteDescriptorProcsCount = 16;
constexpr std::int32_t latestFilterVersion = 4;
constexpr std::int32_t latestFilterSubVersion = 0;

// ---- Dialog options of a replayed action -----------------------------------------------------
constexpr std::int16_t plugInDialogDontDisplay = 0;
constexpr std::int16_t plugInDialogDisplay = 1;
constexpr std::int16_t plugInDialogSilent = 2;
constexpr std::int16_t plugInDialogOptional = 0;
constexpr std::int16_t plugInDialogRequired = 1;
constexpr std::int16_t plugInDialogNone = 2;

// ---- Image modes (imageMode) -----------------------------------------------------------------
constexpr std::int16_t plugInModeBitmap = 0;
constexpr std::int16_t plugInModeGrayScale = 1;
constexpr std::int16_t plugInModeIndexedColor = 2;
constexpr std::int16_t plugInModeRGBColor = 3;
constexpr std::int16_t plugInModeCMYKColor = 4;
constexpr std::int16_t plugInModeHSLColor = 5;
constexpr std::int16_t plugInModeHSBColor = 6;
constexpr std::int16_t plugInModeMultichannel = 7;
constexpr std::int16_t plugInModeDuotone = 8;
constexpr std::int16_t plugInModeLabColor = 9;
constexpr std::int16_t plugInModeGray16 = 10;
constexpr std::int16_t plugInModeRGB48 = 11;
constexpr std::int16_t plugInModeLab48 = 12;
constexpr std::int16_t plugInModeCMYK64 = 13;
constexpr std::int16_t plugInModeDeepMultichannel = 14;
constexpr std::int16_t plugInModeDuotone16 = 15;
constexpr std::int16_t plugInModeRGB96 = 16;
constexpr std::int16_t plugInModeGray32 = 17;

// ---- Padding (inputPadding, outputPadding, maskPadding): 0..255 is a fill value ------------
constexpr std::int16_t plugInWantsEdgeReplication = -1;
constexpr std::int16_t plugInDoesNotWantPadding = -2;
constexpr std::int16_t plugInWantsErrorOnBoundsException = -3;

// ---- Sampling support ------------------------------------------------------------------------
constexpr char hostDoesNotSupportSampling = 0;
constexpr char hostSupportsIntegralSampling = 1;
constexpr char hostSupportsFractionalSampling = 2;

// ---- Filter cases (filterCase; 0 = not set by the host) --------------------------------------
constexpr std::int16_t filterCaseUnsupported = -1;
constexpr std::int16_t filterCaseFlatImageNoSelection = 1;
constexpr std::int16_t filterCaseFlatImageWithSelection = 2;
constexpr std::int16_t filterCaseFloatingSelection = 3;
constexpr std::int16_t filterCaseEditableTransparencyNoSelection = 4;
constexpr std::int16_t filterCaseEditableTransparencyWithSelection = 5;
constexpr std::int16_t filterCaseProtectedTransparencyNoSelection = 6;
constexpr std::int16_t filterCaseProtectedTransparencyWithSelection = 7;

// ---- Descriptor types, units and key flags ---------------------------------------------------
constexpr DescriptorTypeID typeInteger = FourCC("long");
constexpr DescriptorTypeID typeFloat = FourCC("doub");
constexpr DescriptorTypeID typeUnitFloat = FourCC("UntF");
constexpr DescriptorTypeID typeBoolean = FourCC("bool");
constexpr DescriptorTypeID typeText = FourCC("TEXT");
constexpr DescriptorTypeID typeEnumerated = FourCC("enum");
constexpr DescriptorTypeID typeType = FourCC("type");
constexpr DescriptorTypeID typeAlias = FourCC("alis");
constexpr DescriptorTypeID typeObject = FourCC("Objc");
constexpr DescriptorUnitID unitPixels = FourCC("#Pxl");
constexpr DescriptorUnitID unitPercent = FourCC("#Prc");
constexpr DescriptorUnitID unitAngle = FourCC("#Ang");
constexpr DescriptorUnitID unitDistance = FourCC("#Rlt");
constexpr DescriptorUnitID unitDensity = FourCC("#Rsl");
constexpr DescriptorUnitID unitNone = FourCC("#Nne");
constexpr std::int32_t actionSimpleParameter = 0;
constexpr std::int32_t actionEnumeratedParameter = 0x2000;
constexpr std::int32_t actionListParameter = 0x4000;
constexpr std::int32_t actionOptionalParameter = 0x8000;

// ---- Host signatures and names of the basic suites -------------------------------------------
constexpr OSType kPhotoshopSignature = FourCC("8BIM");
constexpr OSType kPremiereSignature = FourCC("PrMr");
constexpr OSType kAfterEffectsSignature = FourCC("FXTC");
constexpr const char* kPSHandleSuite = "Photoshop Handle Suite for Plug-ins";
constexpr const char* kPSBufferSuite = "Photoshop Buffer Procs for Plug-ins";
