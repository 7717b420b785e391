#include "growth_fingerprint_expected.h"
#include "growth_fingerprint_set.h"

#include <gtest/gtest.h>

namespace {

// The growth set must give the recorded results in every build (Linux, Windows i686 and
// x86_64). After an intended change of the growth, regenerate the expectations with
//   build/linux/growth_fingerprint > /tmp/fp.txt
// and copy the lines into growth_fingerprint_expected.h.
TEST(GrowthFingerprintTest, EveryBuildGrowsTheRecordedPatterns) {
    const auto items = RunFingerprintSet();
    ASSERT_EQ(items.size(), std::size(kExpectedFingerprint));
    for (std::size_t k = 0; k < items.size(); ++k) {
        EXPECT_EQ(items[k].name, kExpectedFingerprint[k].name);
        EXPECT_EQ(items[k].count, kExpectedFingerprint[k].count) << items[k].name;
        EXPECT_EQ(items[k].digest, kExpectedFingerprint[k].digest) << items[k].name;
        EXPECT_GT(items[k].count, 0) << items[k].name;
    }
}

} // namespace
