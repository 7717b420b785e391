// Pins every field of the host-interface records to the published Windows offsets and sizes:
// the i686 column when pointers are 4 bytes, the x86_64 column when they are 8 (Linux x86_64
// shares the Win64 layout because the filter record is packed to 4 everywhere).
// Compiled into the plug-in and the stand-in host, so a layout slip fails every build.
#include "plugin/host_interface.h"

#include <cstddef>

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "only 32- and 64-bit targets are supported");

#define RIMELACE_PIN_SIZE(type, size32, size64) \
    static_assert(sizeof(type) == (sizeof(void*) == 4 ? (size32) : (size64)), "size of " #type)
#define RIMELACE_PIN_OFFSET(type, field, off32, off64) \
    static_assert(offsetof(type, field) == (sizeof(void*) == 4 ? (off32) : (off64)), #type "." #field)
#define RIMELACE_PIN(type, field, off32, size32, off64, size64)  \
    RIMELACE_PIN_OFFSET(type, field, off32, off64);              \
    static_assert(sizeof(type::field) == (sizeof(void*) == 4 ? (size32) : (size64)), "size of " #type "." #field)

// FilterRecord
RIMELACE_PIN_SIZE(FilterRecord, 488, 608);
RIMELACE_PIN(FilterRecord, serialNumber, 0, 4, 0, 4);
RIMELACE_PIN(FilterRecord, abortProc, 4, 4, 4, 8);
RIMELACE_PIN(FilterRecord, progressProc, 8, 4, 12, 8);
RIMELACE_PIN(FilterRecord, parameters, 12, 4, 20, 8);
RIMELACE_PIN(FilterRecord, imageSize, 16, 4, 28, 4);
RIMELACE_PIN(FilterRecord, planes, 20, 2, 32, 2);
RIMELACE_PIN(FilterRecord, filterRect, 22, 8, 34, 8);
RIMELACE_PIN(FilterRecord, background, 30, 6, 42, 6);
RIMELACE_PIN(FilterRecord, foreground, 36, 6, 48, 6);
RIMELACE_PIN(FilterRecord, maxSpace, 44, 4, 56, 4);
RIMELACE_PIN(FilterRecord, bufferSpace, 48, 4, 60, 4);
RIMELACE_PIN(FilterRecord, inRect, 52, 8, 64, 8);
RIMELACE_PIN(FilterRecord, inLoPlane, 60, 2, 72, 2);
RIMELACE_PIN(FilterRecord, inHiPlane, 62, 2, 74, 2);
RIMELACE_PIN(FilterRecord, outRect, 64, 8, 76, 8);
RIMELACE_PIN(FilterRecord, outLoPlane, 72, 2, 84, 2);
RIMELACE_PIN(FilterRecord, outHiPlane, 74, 2, 86, 2);
RIMELACE_PIN(FilterRecord, inData, 76, 4, 88, 8);
RIMELACE_PIN(FilterRecord, inRowBytes, 80, 4, 96, 4);
RIMELACE_PIN(FilterRecord, outData, 84, 4, 100, 8);
RIMELACE_PIN(FilterRecord, outRowBytes, 88, 4, 108, 4);
RIMELACE_PIN(FilterRecord, isFloating, 92, 1, 112, 1);
RIMELACE_PIN(FilterRecord, haveMask, 93, 1, 113, 1);
RIMELACE_PIN(FilterRecord, autoMask, 94, 1, 114, 1);
RIMELACE_PIN(FilterRecord, maskRect, 96, 8, 116, 8);
RIMELACE_PIN(FilterRecord, maskData, 104, 4, 124, 8);
RIMELACE_PIN(FilterRecord, maskRowBytes, 108, 4, 132, 4);
RIMELACE_PIN(FilterRecord, backColor, 112, 4, 136, 4);
RIMELACE_PIN(FilterRecord, foreColor, 116, 4, 140, 4);
RIMELACE_PIN(FilterRecord, hostSig, 120, 4, 144, 4);
RIMELACE_PIN(FilterRecord, hostProc, 124, 4, 148, 8);
RIMELACE_PIN(FilterRecord, imageMode, 128, 2, 156, 2);
RIMELACE_PIN(FilterRecord, imageHRes, 132, 4, 160, 4);
RIMELACE_PIN(FilterRecord, imageVRes, 136, 4, 164, 4);
RIMELACE_PIN(FilterRecord, floatCoord, 140, 4, 168, 4);
RIMELACE_PIN(FilterRecord, wholeSize, 144, 4, 172, 4);
RIMELACE_PIN(FilterRecord, monitor, 148, 40, 176, 40);
RIMELACE_PIN(FilterRecord, platformData, 188, 4, 216, 8);
RIMELACE_PIN(FilterRecord, bufferProcs, 192, 4, 224, 8);
RIMELACE_PIN(FilterRecord, resourceProcs, 196, 4, 232, 8);
RIMELACE_PIN(FilterRecord, processEvent, 200, 4, 240, 8);
RIMELACE_PIN(FilterRecord, displayPixels, 204, 4, 248, 8);
RIMELACE_PIN(FilterRecord, handleProcs, 208, 4, 256, 8);
RIMELACE_PIN(FilterRecord, supportsDummyChannels, 212, 1, 264, 1);
RIMELACE_PIN(FilterRecord, supportsAlternateLayouts, 213, 1, 265, 1);
RIMELACE_PIN(FilterRecord, wantLayout, 214, 2, 266, 2);
RIMELACE_PIN(FilterRecord, filterCase, 216, 2, 268, 2);
RIMELACE_PIN(FilterRecord, dummyPlaneValue, 218, 2, 270, 2);
RIMELACE_PIN(FilterRecord, premiereHook, 220, 4, 272, 8);
RIMELACE_PIN(FilterRecord, advanceState, 224, 4, 280, 8);
RIMELACE_PIN(FilterRecord, supportsAbsolute, 228, 1, 288, 1);
RIMELACE_PIN(FilterRecord, wantsAbsolute, 229, 1, 289, 1);
RIMELACE_PIN(FilterRecord, getPropertyObsolete, 232, 4, 292, 8);
RIMELACE_PIN(FilterRecord, cannotUndo, 236, 1, 300, 1);
RIMELACE_PIN(FilterRecord, supportsPadding, 237, 1, 301, 1);
RIMELACE_PIN(FilterRecord, inputPadding, 238, 2, 302, 2);
RIMELACE_PIN(FilterRecord, outputPadding, 240, 2, 304, 2);
RIMELACE_PIN(FilterRecord, maskPadding, 242, 2, 306, 2);
RIMELACE_PIN(FilterRecord, samplingSupport, 244, 1, 308, 1);
RIMELACE_PIN(FilterRecord, reservedByte, 245, 1, 309, 1);
RIMELACE_PIN(FilterRecord, inputRate, 248, 4, 312, 4);
RIMELACE_PIN(FilterRecord, maskRate, 252, 4, 316, 4);
RIMELACE_PIN(FilterRecord, colorServices, 256, 4, 320, 8);
RIMELACE_PIN(FilterRecord, inLayerPlanes, 260, 2, 328, 2);
RIMELACE_PIN(FilterRecord, inTransparencyMask, 262, 2, 330, 2);
RIMELACE_PIN(FilterRecord, inLayerMasks, 264, 2, 332, 2);
RIMELACE_PIN(FilterRecord, inInvertedLayerMasks, 266, 2, 334, 2);
RIMELACE_PIN(FilterRecord, inNonLayerPlanes, 268, 2, 336, 2);
RIMELACE_PIN(FilterRecord, outLayerPlanes, 270, 2, 338, 2);
RIMELACE_PIN(FilterRecord, outTransparencyMask, 272, 2, 340, 2);
RIMELACE_PIN(FilterRecord, outLayerMasks, 274, 2, 342, 2);
RIMELACE_PIN(FilterRecord, outInvertedLayerMasks, 276, 2, 344, 2);
RIMELACE_PIN(FilterRecord, outNonLayerPlanes, 278, 2, 346, 2);
RIMELACE_PIN(FilterRecord, absLayerPlanes, 280, 2, 348, 2);
RIMELACE_PIN(FilterRecord, absTransparencyMask, 282, 2, 350, 2);
RIMELACE_PIN(FilterRecord, absLayerMasks, 284, 2, 352, 2);
RIMELACE_PIN(FilterRecord, absInvertedLayerMasks, 286, 2, 354, 2);
RIMELACE_PIN(FilterRecord, absNonLayerPlanes, 288, 2, 356, 2);
RIMELACE_PIN(FilterRecord, inPreDummyPlanes, 290, 2, 358, 2);
RIMELACE_PIN(FilterRecord, inPostDummyPlanes, 292, 2, 360, 2);
RIMELACE_PIN(FilterRecord, outPreDummyPlanes, 294, 2, 362, 2);
RIMELACE_PIN(FilterRecord, outPostDummyPlanes, 296, 2, 364, 2);
RIMELACE_PIN(FilterRecord, inColumnBytes, 300, 4, 368, 4);
RIMELACE_PIN(FilterRecord, inPlaneBytes, 304, 4, 372, 4);
RIMELACE_PIN(FilterRecord, outColumnBytes, 308, 4, 376, 4);
RIMELACE_PIN(FilterRecord, outPlaneBytes, 312, 4, 380, 4);
RIMELACE_PIN(FilterRecord, imageServicesProcs, 316, 4, 384, 8);
RIMELACE_PIN(FilterRecord, propertyProcs, 320, 4, 392, 8);
RIMELACE_PIN(FilterRecord, inTileHeight, 324, 2, 400, 2);
RIMELACE_PIN(FilterRecord, inTileWidth, 326, 2, 402, 2);
RIMELACE_PIN(FilterRecord, inTileOrigin, 328, 4, 404, 4);
RIMELACE_PIN(FilterRecord, absTileHeight, 332, 2, 408, 2);
RIMELACE_PIN(FilterRecord, absTileWidth, 334, 2, 410, 2);
RIMELACE_PIN(FilterRecord, absTileOrigin, 336, 4, 412, 4);
RIMELACE_PIN(FilterRecord, outTileHeight, 340, 2, 416, 2);
RIMELACE_PIN(FilterRecord, outTileWidth, 342, 2, 418, 2);
RIMELACE_PIN(FilterRecord, outTileOrigin, 344, 4, 420, 4);
RIMELACE_PIN(FilterRecord, maskTileHeight, 348, 2, 424, 2);
RIMELACE_PIN(FilterRecord, maskTileWidth, 350, 2, 426, 2);
RIMELACE_PIN(FilterRecord, maskTileOrigin, 352, 4, 428, 4);
RIMELACE_PIN(FilterRecord, descriptorParameters, 356, 4, 432, 8);
RIMELACE_PIN(FilterRecord, errorString, 360, 4, 440, 8);
RIMELACE_PIN(FilterRecord, channelPortProcs, 364, 4, 448, 8);
RIMELACE_PIN(FilterRecord, documentInfo, 368, 4, 456, 8);
RIMELACE_PIN(FilterRecord, sSPBasic, 372, 4, 464, 8);
RIMELACE_PIN(FilterRecord, plugInRef, 376, 4, 472, 8);
RIMELACE_PIN(FilterRecord, depth, 380, 4, 480, 4);
RIMELACE_PIN(FilterRecord, iCCprofileData, 384, 4, 484, 8);
RIMELACE_PIN(FilterRecord, iCCprofileSize, 388, 4, 492, 4);
RIMELACE_PIN(FilterRecord, canUseICCProfiles, 392, 4, 496, 4);
RIMELACE_PIN(FilterRecord, hasImageScrap, 396, 4, 500, 4);
RIMELACE_PIN(FilterRecord, bigDocumentData, 400, 4, 504, 8);
RIMELACE_PIN(FilterRecord, input3DScene, 404, 4, 512, 8);
RIMELACE_PIN(FilterRecord, output3DScene, 408, 4, 520, 8);
RIMELACE_PIN(FilterRecord, createNewLayer, 412, 1, 528, 1);
RIMELACE_PIN(FilterRecord, iCCWorkingProfileData, 416, 4, 532, 8);
RIMELACE_PIN(FilterRecord, iCCWorkingProfileSize, 420, 4, 540, 4);
RIMELACE_PIN(FilterRecord, bufferSpace64, 424, 8, 544, 8);
RIMELACE_PIN(FilterRecord, maxSpace64, 432, 8, 552, 8);
RIMELACE_PIN(FilterRecord, allowOverrangeColors, 440, 1, 560, 1);
RIMELACE_PIN(FilterRecord, reserved, 441, 45, 561, 45);

// BigDocumentStruct
RIMELACE_PIN_SIZE(BigDocumentStruct, 92, 92);
RIMELACE_PIN(BigDocumentStruct, PluginUsing32BitCoordinates, 0, 4, 0, 4);
RIMELACE_PIN(BigDocumentStruct, imageSize32, 4, 8, 4, 8);
RIMELACE_PIN(BigDocumentStruct, filterRect32, 12, 16, 12, 16);
RIMELACE_PIN(BigDocumentStruct, inRect32, 28, 16, 28, 16);
RIMELACE_PIN(BigDocumentStruct, outRect32, 44, 16, 44, 16);
RIMELACE_PIN(BigDocumentStruct, maskRect32, 60, 16, 60, 16);
RIMELACE_PIN(BigDocumentStruct, floatCoord32, 76, 8, 76, 8);
RIMELACE_PIN(BigDocumentStruct, wholeSize32, 84, 8, 84, 8);

// AboutRecord
RIMELACE_PIN_SIZE(AboutRecord, 256, 272);
RIMELACE_PIN(AboutRecord, platformData, 0, 4, 0, 8);
RIMELACE_PIN(AboutRecord, sSPBasic, 4, 4, 8, 8);
RIMELACE_PIN(AboutRecord, plugInRef, 8, 4, 16, 8);
RIMELACE_PIN(AboutRecord, reserved, 12, 244, 24, 244);

// HandleProcs
RIMELACE_PIN_SIZE(HandleProcs, 36, 72);
RIMELACE_PIN(HandleProcs, handleProcsVersion, 0, 2, 0, 2);
RIMELACE_PIN(HandleProcs, numHandleProcs, 2, 2, 2, 2);
RIMELACE_PIN(HandleProcs, newProc, 4, 4, 8, 8);
RIMELACE_PIN(HandleProcs, disposeProc, 8, 4, 16, 8);
RIMELACE_PIN(HandleProcs, getSizeProc, 12, 4, 24, 8);
RIMELACE_PIN(HandleProcs, setSizeProc, 16, 4, 32, 8);
RIMELACE_PIN(HandleProcs, lockProc, 20, 4, 40, 8);
RIMELACE_PIN(HandleProcs, unlockProc, 24, 4, 48, 8);
RIMELACE_PIN(HandleProcs, recoverSpaceProc, 28, 4, 56, 8);
RIMELACE_PIN(HandleProcs, disposeRegularHandleProc, 32, 4, 64, 8);

// BufferProcs
RIMELACE_PIN_SIZE(BufferProcs, 36, 72);
RIMELACE_PIN(BufferProcs, bufferProcsVersion, 0, 2, 0, 2);
RIMELACE_PIN(BufferProcs, numBufferProcs, 2, 2, 2, 2);
RIMELACE_PIN(BufferProcs, allocateProc, 4, 4, 8, 8);
RIMELACE_PIN(BufferProcs, lockProc, 8, 4, 16, 8);
RIMELACE_PIN(BufferProcs, unlockProc, 12, 4, 24, 8);
RIMELACE_PIN(BufferProcs, freeProc, 16, 4, 32, 8);
RIMELACE_PIN(BufferProcs, spaceProc, 20, 4, 40, 8);
RIMELACE_PIN(BufferProcs, reserveProc, 24, 4, 48, 8);
RIMELACE_PIN(BufferProcs, allocateProc64, 28, 4, 56, 8);
RIMELACE_PIN(BufferProcs, spaceProc64, 32, 4, 64, 8);

// ResourceProcs
RIMELACE_PIN_SIZE(ResourceProcs, 20, 40);
RIMELACE_PIN(ResourceProcs, resourceProcsVersion, 0, 2, 0, 2);
RIMELACE_PIN(ResourceProcs, numResourceProcs, 2, 2, 2, 2);
RIMELACE_PIN(ResourceProcs, countProc, 4, 4, 8, 8);
RIMELACE_PIN(ResourceProcs, getProc, 8, 4, 16, 8);
RIMELACE_PIN(ResourceProcs, deleteProc, 12, 4, 24, 8);
RIMELACE_PIN(ResourceProcs, addProc, 16, 4, 32, 8);

// PropertyProcs
RIMELACE_PIN_SIZE(PropertyProcs, 12, 24);
RIMELACE_PIN(PropertyProcs, propertyProcsVersion, 0, 2, 0, 2);
RIMELACE_PIN(PropertyProcs, numPropertyProcs, 2, 2, 2, 2);
RIMELACE_PIN(PropertyProcs, getPropertyProc, 4, 4, 8, 8);
RIMELACE_PIN(PropertyProcs, setPropertyProc, 8, 4, 16, 8);

// ImageServicesProcs
RIMELACE_PIN_SIZE(ImageServicesProcs, 28, 56);
RIMELACE_PIN(ImageServicesProcs, imageServicesProcsVersion, 0, 2, 0, 2);
RIMELACE_PIN(ImageServicesProcs, numImageServicesProcs, 2, 2, 2, 2);
RIMELACE_PIN(ImageServicesProcs, interpolate1DProc, 4, 4, 8, 8);
RIMELACE_PIN(ImageServicesProcs, interpolate2DProc, 8, 4, 16, 8);
RIMELACE_PIN(ImageServicesProcs, interpolate1DMultiProc, 12, 4, 24, 8);
RIMELACE_PIN(ImageServicesProcs, interpolate2DMultiProc, 16, 4, 32, 8);
RIMELACE_PIN(ImageServicesProcs, interpolate1DMulti32Proc, 20, 4, 40, 8);
RIMELACE_PIN(ImageServicesProcs, interpolate2DMulti32Proc, 24, 4, 48, 8);

// ChannelPortProcs
RIMELACE_PIN_SIZE(ChannelPortProcs, 16, 32);
RIMELACE_PIN(ChannelPortProcs, channelPortProcsVersion, 0, 2, 0, 2);
RIMELACE_PIN(ChannelPortProcs, numChannelPortProcs, 2, 2, 2, 2);
RIMELACE_PIN(ChannelPortProcs, readPixelsProc, 4, 4, 8, 8);
RIMELACE_PIN(ChannelPortProcs, writeBasePixelsProc, 8, 4, 16, 8);
RIMELACE_PIN(ChannelPortProcs, readPortForWritePortProc, 12, 4, 24, 8);

// PIDescriptorParameters
RIMELACE_PIN_SIZE(PIDescriptorParameters, 20, 32);
RIMELACE_PIN(PIDescriptorParameters, descriptorParametersVersion, 0, 2, 0, 2);
RIMELACE_PIN(PIDescriptorParameters, playInfo, 2, 2, 2, 2);
RIMELACE_PIN(PIDescriptorParameters, recordInfo, 4, 2, 4, 2);
RIMELACE_PIN(PIDescriptorParameters, descriptor, 8, 4, 8, 8);
RIMELACE_PIN(PIDescriptorParameters, writeDescriptorProcs, 12, 4, 16, 8);
RIMELACE_PIN(PIDescriptorParameters, readDescriptorProcs, 16, 4, 24, 8);

// ReadDescriptorProcs
RIMELACE_PIN_SIZE(ReadDescriptorProcs, 76, 152);
RIMELACE_PIN(ReadDescriptorProcs, readDescriptorProcsVersion, 0, 2, 0, 2);
RIMELACE_PIN(ReadDescriptorProcs, numReadDescriptorProcs, 2, 2, 2, 2);
RIMELACE_PIN(ReadDescriptorProcs, openReadDescriptorProc, 4, 4, 8, 8);
RIMELACE_PIN(ReadDescriptorProcs, closeReadDescriptorProc, 8, 4, 16, 8);
RIMELACE_PIN(ReadDescriptorProcs, getKeyProc, 12, 4, 24, 8);
RIMELACE_PIN(ReadDescriptorProcs, getIntegerProc, 16, 4, 32, 8);
RIMELACE_PIN(ReadDescriptorProcs, getFloatProc, 20, 4, 40, 8);
RIMELACE_PIN(ReadDescriptorProcs, getUnitFloatProc, 24, 4, 48, 8);
RIMELACE_PIN(ReadDescriptorProcs, getBooleanProc, 28, 4, 56, 8);
RIMELACE_PIN(ReadDescriptorProcs, getTextProc, 32, 4, 64, 8);
RIMELACE_PIN(ReadDescriptorProcs, getAliasProc, 36, 4, 72, 8);
RIMELACE_PIN(ReadDescriptorProcs, getEnumeratedProc, 40, 4, 80, 8);
RIMELACE_PIN(ReadDescriptorProcs, getClassProc, 44, 4, 88, 8);
RIMELACE_PIN(ReadDescriptorProcs, getSimpleReferenceProc, 48, 4, 96, 8);
RIMELACE_PIN(ReadDescriptorProcs, getObjectProc, 52, 4, 104, 8);
RIMELACE_PIN(ReadDescriptorProcs, getCountProc, 56, 4, 112, 8);
RIMELACE_PIN(ReadDescriptorProcs, getStringProc, 60, 4, 120, 8);
RIMELACE_PIN(ReadDescriptorProcs, getPinnedIntegerProc, 64, 4, 128, 8);
RIMELACE_PIN(ReadDescriptorProcs, getPinnedFloatProc, 68, 4, 136, 8);
RIMELACE_PIN(ReadDescriptorProcs, getPinnedUnitFloatProc, 72, 4, 144, 8);

// WriteDescriptorProcs
RIMELACE_PIN_SIZE(WriteDescriptorProcs, 68, 136);
RIMELACE_PIN(WriteDescriptorProcs, writeDescriptorProcsVersion, 0, 2, 0, 2);
RIMELACE_PIN(WriteDescriptorProcs, numWriteDescriptorProcs, 2, 2, 2, 2);
RIMELACE_PIN(WriteDescriptorProcs, openWriteDescriptorProc, 4, 4, 8, 8);
RIMELACE_PIN(WriteDescriptorProcs, closeWriteDescriptorProc, 8, 4, 16, 8);
RIMELACE_PIN(WriteDescriptorProcs, putIntegerProc, 12, 4, 24, 8);
RIMELACE_PIN(WriteDescriptorProcs, putFloatProc, 16, 4, 32, 8);
RIMELACE_PIN(WriteDescriptorProcs, putUnitFloatProc, 20, 4, 40, 8);
RIMELACE_PIN(WriteDescriptorProcs, putBooleanProc, 24, 4, 48, 8);
RIMELACE_PIN(WriteDescriptorProcs, putTextProc, 28, 4, 56, 8);
RIMELACE_PIN(WriteDescriptorProcs, putAliasProc, 32, 4, 64, 8);
RIMELACE_PIN(WriteDescriptorProcs, putEnumeratedProc, 36, 4, 72, 8);
RIMELACE_PIN(WriteDescriptorProcs, putClassProc, 40, 4, 80, 8);
RIMELACE_PIN(WriteDescriptorProcs, putSimpleReferenceProc, 44, 4, 88, 8);
RIMELACE_PIN(WriteDescriptorProcs, putObjectProc, 48, 4, 96, 8);
RIMELACE_PIN(WriteDescriptorProcs, putCountProc, 52, 4, 104, 8);
RIMELACE_PIN(WriteDescriptorProcs, putStringProc, 56, 4, 112, 8);
RIMELACE_PIN(WriteDescriptorProcs, putScopedClassProc, 60, 4, 120, 8);
RIMELACE_PIN(WriteDescriptorProcs, putScopedObjectProc, 64, 4, 128, 8);

// PlugInMonitor
RIMELACE_PIN_SIZE(PlugInMonitor, 40, 40);
RIMELACE_PIN(PlugInMonitor, gamma, 0, 4, 0, 4);
RIMELACE_PIN(PlugInMonitor, redX, 4, 4, 4, 4);
RIMELACE_PIN(PlugInMonitor, redY, 8, 4, 8, 4);
RIMELACE_PIN(PlugInMonitor, greenX, 12, 4, 12, 4);
RIMELACE_PIN(PlugInMonitor, greenY, 16, 4, 16, 4);
RIMELACE_PIN(PlugInMonitor, blueX, 20, 4, 20, 4);
RIMELACE_PIN(PlugInMonitor, blueY, 24, 4, 24, 4);
RIMELACE_PIN(PlugInMonitor, whiteX, 28, 4, 28, 4);
RIMELACE_PIN(PlugInMonitor, whiteY, 32, 4, 32, 4);
RIMELACE_PIN(PlugInMonitor, ambient, 36, 4, 36, 4);

// FilterCaseInfo
RIMELACE_PIN_SIZE(FilterCaseInfo, 4, 4);
RIMELACE_PIN(FilterCaseInfo, inputHandling, 0, 1, 0, 1);
RIMELACE_PIN(FilterCaseInfo, outputHandling, 1, 1, 1, 1);
RIMELACE_PIN(FilterCaseInfo, flags1, 2, 1, 2, 1);
RIMELACE_PIN(FilterCaseInfo, flags2, 3, 1, 3, 1);

// PSPixelMap
RIMELACE_PIN_SIZE(PSPixelMap, 68, 88);
RIMELACE_PIN(PSPixelMap, version, 0, 4, 0, 4);
RIMELACE_PIN(PSPixelMap, bounds, 4, 16, 4, 16);
RIMELACE_PIN(PSPixelMap, imageMode, 20, 4, 20, 4);
RIMELACE_PIN(PSPixelMap, rowBytes, 24, 4, 24, 4);
RIMELACE_PIN(PSPixelMap, colBytes, 28, 4, 28, 4);
RIMELACE_PIN(PSPixelMap, planeBytes, 32, 4, 32, 4);
RIMELACE_PIN(PSPixelMap, baseAddr, 36, 4, 40, 8);
RIMELACE_PIN(PSPixelMap, mat, 40, 4, 48, 8);
RIMELACE_PIN(PSPixelMap, masks, 44, 4, 56, 8);
RIMELACE_PIN(PSPixelMap, maskPhaseRow, 48, 4, 64, 4);
RIMELACE_PIN(PSPixelMap, maskPhaseCol, 52, 4, 68, 4);
RIMELACE_PIN(PSPixelMap, pixelOverlays, 56, 4, 72, 8);
RIMELACE_PIN(PSPixelMap, colorManagementOptions, 60, 4, 80, 4);
RIMELACE_PIN(PSPixelMap, depth, 64, 2, 84, 2);

// SPBasicSuite
RIMELACE_PIN_SIZE(SPBasicSuite, 28, 56);
RIMELACE_PIN(SPBasicSuite, AcquireSuite, 0, 4, 0, 8);
RIMELACE_PIN(SPBasicSuite, ReleaseSuite, 4, 4, 8, 8);
RIMELACE_PIN(SPBasicSuite, IsEqual, 8, 4, 16, 8);
RIMELACE_PIN(SPBasicSuite, AllocateBlock, 12, 4, 24, 8);
RIMELACE_PIN(SPBasicSuite, FreeBlock, 16, 4, 32, 8);
RIMELACE_PIN(SPBasicSuite, ReallocateBlock, 20, 4, 40, 8);
RIMELACE_PIN(SPBasicSuite, Undefined, 24, 4, 48, 8);

// VPoint
RIMELACE_PIN_SIZE(VPoint, 8, 8);
RIMELACE_PIN(VPoint, v, 0, 4, 0, 4);
RIMELACE_PIN(VPoint, h, 4, 4, 4, 4);

// Rect
RIMELACE_PIN_SIZE(Rect, 8, 8);
RIMELACE_PIN(Rect, top, 0, 2, 0, 2);
RIMELACE_PIN(Rect, left, 2, 2, 2, 2);
RIMELACE_PIN(Rect, bottom, 4, 2, 4, 2);
RIMELACE_PIN(Rect, right, 6, 2, 6, 2);

// Point
RIMELACE_PIN_SIZE(Point, 4, 4);
RIMELACE_PIN(Point, v, 0, 2, 0, 2);
RIMELACE_PIN(Point, h, 2, 2, 2, 2);

// ColorServicesInfo
RIMELACE_PIN_SIZE(ColorServicesInfo, 36, 56);
RIMELACE_PIN(ColorServicesInfo, infoSize, 0, 4, 0, 4);
RIMELACE_PIN(ColorServicesInfo, selector, 4, 2, 4, 2);
RIMELACE_PIN(ColorServicesInfo, sourceSpace, 6, 2, 6, 2);
RIMELACE_PIN(ColorServicesInfo, resultSpace, 8, 2, 8, 2);
RIMELACE_PIN(ColorServicesInfo, resultGamutInfoValid, 10, 1, 10, 1);
RIMELACE_PIN(ColorServicesInfo, resultInGamut, 11, 1, 11, 1);
RIMELACE_PIN(ColorServicesInfo, reservedSourceSpaceInfo, 12, 4, 16, 8);
RIMELACE_PIN(ColorServicesInfo, reservedResultSpaceInfo, 16, 4, 24, 8);
RIMELACE_PIN(ColorServicesInfo, colorComponents, 20, 8, 32, 8);
RIMELACE_PIN(ColorServicesInfo, reserved, 28, 4, 40, 8);
RIMELACE_PIN(ColorServicesInfo, selectorParameter, 32, 4, 48, 8);

// PSPixelMask
RIMELACE_PIN_SIZE(PSPixelMask, 20, 32);
RIMELACE_PIN(PSPixelMask, next, 0, 4, 0, 8);
RIMELACE_PIN(PSPixelMask, maskData, 4, 4, 8, 8);
RIMELACE_PIN(PSPixelMask, rowBytes, 8, 4, 16, 4);
RIMELACE_PIN(PSPixelMask, colBytes, 12, 4, 20, 4);
RIMELACE_PIN(PSPixelMask, maskDescription, 16, 4, 24, 4);

// PSPixelOverlay
RIMELACE_PIN_SIZE(PSPixelOverlay, 24, 32);
RIMELACE_PIN(PSPixelOverlay, next, 0, 4, 0, 8);
RIMELACE_PIN(PSPixelOverlay, data, 4, 4, 8, 8);
RIMELACE_PIN(PSPixelOverlay, rowBytes, 8, 4, 16, 4);
RIMELACE_PIN(PSPixelOverlay, colBytes, 12, 4, 20, 4);
RIMELACE_PIN_OFFSET(PSPixelOverlay, r, 16, 24);
RIMELACE_PIN(PSPixelOverlay, overlayAlgorithm, 20, 4, 28, 4);

