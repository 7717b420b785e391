#pragma once
// Identifies the host application from the version resource of the running executable.

#include "plugin/host_interface.h"

#include <cstddef>
#include <cstdint>

// 0 unless the running host is the application of `signature` (or one that the signature's
// group accepts); otherwise major << 24 | minor << 20 | fix << 16 | platform code (10..12).
// Computed once per module from platform::HostVersionInfo; without version information (POSIX)
// no host is identified.
std::uint32_t HostVersionWord(OSType signature);

// What the version resource says, parsed from raw VS_VERSIONINFO bytes (exposed for tests).
struct HostIdentity {
    bool identified = false;
    OSType signature = 0;
    std::uint32_t major = 0, minor = 0, fix = 0;
    std::uint32_t platformCode = 0;
};
HostIdentity IdentifyHost(const std::uint8_t* versionInfo, std::size_t size);

// The answer of HostVersionWord for a given identity (exposed for tests).
std::uint32_t VersionWordFor(const HostIdentity& identity, OSType signature);
