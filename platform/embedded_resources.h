#pragma once
// Resources compiled into a module where the operating system has no resource section
// (POSIX). The module's generated resource file registers its table at load time; the
// Windows build keeps the same data in the real resource section instead.

#include <cstddef>
#include <cstdint>

namespace platform {

struct EmbeddedResource {
    const char* typeName;  // "PIPL", "AETE", or nullptr for a numeric type
    int numericType;       // e.g. kResourceBitmap; 0 when typeName is used
    int id;
    const std::uint8_t* data;
    std::size_t size;
};

// Makes a table visible to FindResourceBytes (several tables may be registered; registering the
// same table again replaces its count). The table must outlive the module.
void RegisterEmbeddedResources(const EmbeddedResource* table, std::size_t count);

}  // namespace platform
