#pragma once
// Recorded results of the fixed growth set (tests/generate/growth_fingerprint_set.cpp): name,
// count, FNV-1a digest of every value. Identical on Linux x86_64 and Windows x86_64 (Wine);
// regenerate with build/linux/growth_fingerprint after an intended change.

#include <cstdint>

struct ExpectedFingerprint {
    const char* name;
    std::int32_t count;
    std::uint64_t digest;
};

inline constexpr ExpectedFingerprint kExpectedFingerprint[] = {
    {"path-triangles", 64, 0x64c4c633bf63c138ull},
    {"geometric-small", 29, 0x46854dc96b9f8b91ull},
    {"geometric-sides", 38772, 0xa8380cd4efac8e1bull},
    {"geometric-cut", 30000, 0xc8a0a987b668bb55ull},
    {"floral-arcs", 206, 0xa063bc5bd8e645bfull},
    {"floral-curl", 513, 0x747c509eaab1fa1bull},
    {"curl-and-arc", 22, 0x606cd9f8328b88c1ull},
    {"fern-2", 272, 0x0c8463086802864bull},
    {"fern-3", 704, 0x4ed7a12e2d19e811ull},
    {"branch-angles", 72, 0xbe4ca8cfa10252c1ull},
    {"layout-1", 16, 0xad9a65ef6768c988ull},
    {"layout-2", 16, 0xe30a2676f769a508ull},
    {"layout-3", 32, 0xd7ca6616c415067aull},
    {"layout-4", 64, 0xf1b618524b578416ull},
    {"layout-5", 38, 0xd197dcb1986e2995ull},
    {"layout-6", 256, 0x59b59fb452f53316ull},
    {"traced-mask", 304, 0x637f9daff51a28c0ull},
    {"selection-path", 304, 0x666c99a1e51897adull},
};
