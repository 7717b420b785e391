#pragma once
// One fixed set of growth calls (every grower, every layout, a traced mask) whose results must
// be bit-identical in every build. The fingerprint program prints them; the fingerprint test
// compares their digests with the recorded ones.

#include <cstdint>
#include <string>
#include <vector>

struct FingerprintItem {
    std::string name;
    std::int32_t count = 0;    // triangles, or path points, or traced points
    std::vector<float> values; // every coordinate, normal, direction and length, in order
    std::uint64_t digest = 0;  // FNV-1a over the values' bytes
};

std::vector<FingerprintItem> RunFingerprintSet();
