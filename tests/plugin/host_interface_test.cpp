// The record layouts at run time: each field of a zeroed filter record is filled and the first
// byte that changes must sit at the published offset (i686 column for 4-byte pointers, x86_64
// column for 8-byte ones; Linux x86_64 shares the x86_64 layout).
#include "plugin/host_interface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

struct Field {
    const char* name;
    std::function<void(FilterRecord&)> fill;
    std::size_t offset32, offset64;
};

#define FIELD(name, off32, off64) \
    Field { #name, [](FilterRecord& r) { std::memset(static_cast<void*>(&r.name), 0xFF, sizeof r.name); }, off32, off64 }

const Field kFields[] = {
    FIELD(serialNumber, 0, 0),
    FIELD(abortProc, 4, 4),
    FIELD(progressProc, 8, 12),
    FIELD(parameters, 12, 20),
    FIELD(imageSize, 16, 28),
    FIELD(planes, 20, 32),
    FIELD(filterRect, 22, 34),
    FIELD(background, 30, 42),
    FIELD(foreground, 36, 48),
    FIELD(maxSpace, 44, 56),
    FIELD(bufferSpace, 48, 60),
    FIELD(inRect, 52, 64),
    FIELD(inLoPlane, 60, 72),
    FIELD(inHiPlane, 62, 74),
    FIELD(outRect, 64, 76),
    FIELD(outLoPlane, 72, 84),
    FIELD(outHiPlane, 74, 86),
    FIELD(inData, 76, 88),
    FIELD(inRowBytes, 80, 96),
    FIELD(outData, 84, 100),
    FIELD(outRowBytes, 88, 108),
    FIELD(isFloating, 92, 112),
    FIELD(haveMask, 93, 113),
    FIELD(autoMask, 94, 114),
    FIELD(maskRect, 96, 116),
    FIELD(maskData, 104, 124),
    FIELD(maskRowBytes, 108, 132),
    FIELD(backColor, 112, 136),
    FIELD(foreColor, 116, 140),
    FIELD(hostSig, 120, 144),
    FIELD(hostProc, 124, 148),
    FIELD(imageMode, 128, 156),
    FIELD(imageHRes, 132, 160),
    FIELD(imageVRes, 136, 164),
    FIELD(floatCoord, 140, 168),
    FIELD(wholeSize, 144, 172),
    FIELD(monitor, 148, 176),
    FIELD(platformData, 188, 216),
    FIELD(bufferProcs, 192, 224),
    FIELD(resourceProcs, 196, 232),
    FIELD(processEvent, 200, 240),
    FIELD(displayPixels, 204, 248),
    FIELD(handleProcs, 208, 256),
    FIELD(supportsDummyChannels, 212, 264),
    FIELD(supportsAlternateLayouts, 213, 265),
    FIELD(wantLayout, 214, 266),
    FIELD(filterCase, 216, 268),
    FIELD(dummyPlaneValue, 218, 270),
    FIELD(premiereHook, 220, 272),
    FIELD(advanceState, 224, 280),
    FIELD(supportsAbsolute, 228, 288),
    FIELD(wantsAbsolute, 229, 289),
    FIELD(getPropertyObsolete, 232, 292),
    FIELD(cannotUndo, 236, 300),
    FIELD(supportsPadding, 237, 301),
    FIELD(inputPadding, 238, 302),
    FIELD(outputPadding, 240, 304),
    FIELD(maskPadding, 242, 306),
    FIELD(samplingSupport, 244, 308),
    FIELD(reservedByte, 245, 309),
    FIELD(inputRate, 248, 312),
    FIELD(maskRate, 252, 316),
    FIELD(colorServices, 256, 320),
    FIELD(inLayerPlanes, 260, 328),
    FIELD(inTransparencyMask, 262, 330),
    FIELD(inLayerMasks, 264, 332),
    FIELD(inInvertedLayerMasks, 266, 334),
    FIELD(inNonLayerPlanes, 268, 336),
    FIELD(outLayerPlanes, 270, 338),
    FIELD(outTransparencyMask, 272, 340),
    FIELD(outLayerMasks, 274, 342),
    FIELD(outInvertedLayerMasks, 276, 344),
    FIELD(outNonLayerPlanes, 278, 346),
    FIELD(absLayerPlanes, 280, 348),
    FIELD(absTransparencyMask, 282, 350),
    FIELD(absLayerMasks, 284, 352),
    FIELD(absInvertedLayerMasks, 286, 354),
    FIELD(absNonLayerPlanes, 288, 356),
    FIELD(inPreDummyPlanes, 290, 358),
    FIELD(inPostDummyPlanes, 292, 360),
    FIELD(outPreDummyPlanes, 294, 362),
    FIELD(outPostDummyPlanes, 296, 364),
    FIELD(inColumnBytes, 300, 368),
    FIELD(inPlaneBytes, 304, 372),
    FIELD(outColumnBytes, 308, 376),
    FIELD(outPlaneBytes, 312, 380),
    FIELD(imageServicesProcs, 316, 384),
    FIELD(propertyProcs, 320, 392),
    FIELD(inTileHeight, 324, 400),
    FIELD(inTileWidth, 326, 402),
    FIELD(inTileOrigin, 328, 404),
    FIELD(absTileHeight, 332, 408),
    FIELD(absTileWidth, 334, 410),
    FIELD(absTileOrigin, 336, 412),
    FIELD(outTileHeight, 340, 416),
    FIELD(outTileWidth, 342, 418),
    FIELD(outTileOrigin, 344, 420),
    FIELD(maskTileHeight, 348, 424),
    FIELD(maskTileWidth, 350, 426),
    FIELD(maskTileOrigin, 352, 428),
    FIELD(descriptorParameters, 356, 432),
    FIELD(errorString, 360, 440),
    FIELD(channelPortProcs, 364, 448),
    FIELD(documentInfo, 368, 456),
    FIELD(sSPBasic, 372, 464),
    FIELD(plugInRef, 376, 472),
    FIELD(depth, 380, 480),
    FIELD(iCCprofileData, 384, 484),
    FIELD(iCCprofileSize, 388, 492),
    FIELD(canUseICCProfiles, 392, 496),
    FIELD(hasImageScrap, 396, 500),
    FIELD(bigDocumentData, 400, 504),
    FIELD(input3DScene, 404, 512),
    FIELD(output3DScene, 408, 520),
    FIELD(createNewLayer, 412, 528),
    FIELD(iCCWorkingProfileData, 416, 532),
    FIELD(iCCWorkingProfileSize, 420, 540),
    FIELD(bufferSpace64, 424, 544),
    FIELD(maxSpace64, 432, 552),
    FIELD(allowOverrangeColors, 440, 560),
    FIELD(reserved, 441, 561),
};

TEST(HostInterfaceTest, EveryFilterRecordFieldSitsAtItsPublishedOffset) {
    ASSERT_EQ(sizeof(FilterRecord), sizeof(void*) == 4 ? 488u : 608u);
    for (const Field& field : kFields) {
        FilterRecord record;
        std::memset(static_cast<void*>(&record), 0, sizeof record);
        field.fill(record);
        const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
        std::size_t first = 0;
        while (first < sizeof record && bytes[first] == 0) ++first;
        EXPECT_EQ(first, sizeof(void*) == 4 ? field.offset32 : field.offset64) << field.name;
    }
}

TEST(HostInterfaceTest, SuitesKeepNaturalAlignmentAndTheRectanglesArePacked) {
    const bool wide = sizeof(void*) == 8;
    EXPECT_EQ(sizeof(BigDocumentStruct), 92u);
    EXPECT_EQ(sizeof(HandleProcs), wide ? 72u : 36u);
    EXPECT_EQ(offsetof(HandleProcs, newProc), wide ? 8u : 4u);
    EXPECT_EQ(sizeof(PIDescriptorParameters), wide ? 32u : 20u);
    EXPECT_EQ(sizeof(ReadDescriptorProcs), wide ? 152u : 76u);
    EXPECT_EQ(sizeof(WriteDescriptorProcs), wide ? 136u : 68u);
    EXPECT_EQ(sizeof(AboutRecord), wide ? 272u : 256u);
    EXPECT_EQ(sizeof(PlatformData), sizeof(void*));
}

TEST(HostInterfaceTest, FourCharCodesReadInOrder) {
    EXPECT_EQ(FourCC("8BIM"), 0x3842494Du);
    EXPECT_EQ(FourCC("AtUp"), 0x41745570u);
    EXPECT_EQ(unitDistance, 0x23526C74u);
}

}  // namespace
