// The host's descriptor procs as a plug-in calls them.
#include "host/standin/standin_p.h"

#include <gtest/gtest.h>

namespace {

using standin::Descriptor;
using standin::DescriptorItem;

TEST(DescriptorsTest, WrittenItemsComeBackFromTheHandle) {
    WriteDescriptorProcs write = standin::MakeWriteDescriptorProcs();
    PIWriteDescriptor wd = write.openWriteDescriptorProc();
    ASSERT_NE(wd, nullptr);
    const double width = 2.5;
    EXPECT_EQ(write.putBooleanProc(wd, FourCC("AtUp"), 1), noErr);
    EXPECT_EQ(write.putUnitFloatProc(wd, FourCC("Wdth"), unitDistance, &width), noErr);
    EXPECT_EQ(write.putIntegerProc(wd, FourCC("RndS"), -77), noErr);
    PIDescriptorHandle handle = nullptr;
    ASSERT_EQ(write.closeWriteDescriptorProc(wd, &handle), noErr);
    Descriptor descriptor;
    ASSERT_TRUE(standin::DescriptorFromHandle(handle, &descriptor));
    ASSERT_EQ(descriptor.items.size(), 3u);
    EXPECT_EQ(descriptor.items[0].type, typeBoolean);
    EXPECT_EQ(descriptor.items[1].unit, unitDistance);
    EXPECT_EQ(descriptor.items[1].number, 2.5);
    EXPECT_EQ(descriptor.items[2].number, -77);
    standin::DisposeHostHandle(handle);
}

TEST(DescriptorsTest, ReaderWalksTheKeysAndReportsMissingOnes) {
    Descriptor descriptor;
    descriptor.items = {{FourCC("RndS"), typeInteger, 0, 1234},
                        {FourCC("Wdth"), typeUnitFloat, unitDistance, 3.25},
                        {FourCC("AtUp"), typeBoolean, 0, 1}};
    Handle handle = standin::DescriptorToHandle(descriptor);
    ReadDescriptorProcs read = standin::MakeReadDescriptorProcs();
    DescriptorKeyID expected[] = {FourCC("AtUp"), FourCC("Wdth"), FourCC("RndS"), FourCC("Colr"), 0};
    PIReadDescriptor rd = read.openReadDescriptorProc(handle, expected);
    ASSERT_NE(rd, nullptr);

    DescriptorKeyID key = 0;
    DescriptorTypeID type = 0;
    std::int32_t flags = -1;
    ASSERT_TRUE(read.getKeyProc(rd, &key, &type, &flags));
    EXPECT_EQ(key, FourCC("RndS"));
    std::int32_t integer = 0;
    EXPECT_EQ(read.getIntegerProc(rd, &integer), noErr);
    EXPECT_EQ(integer, 1234);
    ASSERT_TRUE(read.getKeyProc(rd, &key, &type, &flags));
    DescriptorUnitID unit = unitDistance;
    double value = 0;
    EXPECT_EQ(read.getUnitFloatProc(rd, &unit, &value), noErr);
    EXPECT_EQ(value, 3.25);
    ASSERT_TRUE(read.getKeyProc(rd, &key, &type, &flags));
    Boolean flag = 0;
    EXPECT_EQ(read.getBooleanProc(rd, &flag), noErr);
    EXPECT_EQ(flag, 1);
    EXPECT_FALSE(read.getKeyProc(rd, &key, &type, &flags));

    EXPECT_EQ(expected[0], 0u);
    EXPECT_EQ(expected[2], 0u);
    EXPECT_EQ(expected[3], FourCC("Colr")) << "keys not supplied stay in the list";
    EXPECT_EQ(read.closeReadDescriptorProc(rd), errMissingParameter);
    standin::DisposeHostHandle(handle);
}

TEST(DescriptorsTest, NoDescriptorGivesNoReader) {
    ReadDescriptorProcs read = standin::MakeReadDescriptorProcs();
    DescriptorKeyID expected[] = {FourCC("AtUp"), 0};
    EXPECT_EQ(read.openReadDescriptorProc(nullptr, expected), nullptr);
}

TEST(DescriptorsTest, WrongTypeAndPinnedValuesLeaveTheirErrorForTheClose) {
    Descriptor descriptor;
    descriptor.items = {{FourCC("MxIt"), typeInteger, 0, 500}, {FourCC("Text"), typeText, 0, 0}};
    Handle handle = standin::DescriptorToHandle(descriptor);
    ReadDescriptorProcs read = standin::MakeReadDescriptorProcs();
    PIReadDescriptor rd = read.openReadDescriptorProc(handle, nullptr);
    DescriptorKeyID key;
    DescriptorTypeID type;
    std::int32_t flags, value = 0;
    ASSERT_TRUE(read.getKeyProc(rd, &key, &type, &flags));
    EXPECT_EQ(read.getPinnedIntegerProc(rd, 0, 100, &value), coercedParamErr);
    EXPECT_EQ(value, 100);
    ASSERT_TRUE(read.getKeyProc(rd, &key, &type, &flags));
    EXPECT_EQ(read.getIntegerProc(rd, &value), paramErr);
    EXPECT_EQ(read.closeReadDescriptorProc(rd), paramErr);
    standin::DisposeHostHandle(handle);
}

TEST(DescriptorsTest, ForeignHandlesAreNotReadAsDescriptors) {
    Handle handle = standin::NewHostHandle(16);
    Descriptor descriptor;
    EXPECT_FALSE(standin::DescriptorFromHandle(handle, &descriptor));
    EXPECT_FALSE(standin::DescriptorFromHandle(nullptr, &descriptor));
    standin::DisposeHostHandle(handle);
}

}  // namespace
