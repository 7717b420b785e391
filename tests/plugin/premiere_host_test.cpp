// A host program whose version resource names the video host (premiere_host.rc): the plug-in
// identifies it and takes the strip path although advanceState is offered. Windows only.
#include "host/standin/standin.h"
#include "params/params.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(PremiereHostTest, IdentifiedHostRunsTheStripPathDespiteAdvanceState) {
    standin::HostOptions options;
    options.kind = standin::HostKind::Photoshop;  // advanceState and displayPixels offered
    options.maxSpace = 1;                          // one-row strips
    options.outputStartsAsInput = false;
    standin::Host host(options);
    std::string error;
    ASSERT_TRUE(host.Load(LORVEX_MODULE_PATH, &error)) << error;
    standin::Image image = standin::Image::Make(5, 4, 3, 8);
    for (std::size_t i = 0; i < image.data.size(); ++i) image.data[i] = std::uint8_t(i * 7 + 1);
    const standin::Image original = image;
    standin::RunResult result = host.Run(image);
    ASSERT_EQ(result.code, noErr) << result.error;
    EXPECT_EQ(result.trace.advanceStateCalls, 0);
    EXPECT_EQ(result.trace.continueCalls, 4);

    // The strips make the same picture as a host that never offers advanceState.
    standin::HostOptions plain = options;
    plain.kind = standin::HostKind::NoAdvanceState;
    standin::Host other(plain);
    ASSERT_TRUE(other.Load(LORVEX_MODULE_PATH, &error)) << error;
    standin::Image expected = original;
    ASSERT_EQ(other.Run(expected).code, noErr);
    EXPECT_EQ(image.data, expected.data);

    std::vector<std::uint8_t> bytes = host.ParameterBytes();
    ASSERT_EQ(bytes.size(), sizeof(RimelaceParams));
    RimelaceParams params;
    std::memcpy(static_cast<void*>(&params), bytes.data(), sizeof params);
    EXPECT_EQ(params.HostIsPremiere, 1);
    EXPECT_EQ(params.HostIsAfterEffects, 0);
    EXPECT_EQ(params.UseAdvanceState, 0);
}

}  // namespace
