# Bitmap 999 (the bump image) in the module: the Windows resource section through bump.rc, or on
# Linux a generated source file holding the same DIB bytes (the .bmp without its 14-byte file
# header, as the resource section stores it), registered with platform::RegisterEmbeddedResources.
set(bump_bmp ${CMAKE_CURRENT_SOURCE_DIR}/bump999.bmp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${bump_bmp})
if(WIN32)
    target_sources(lorvex_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/bump.rc)
    set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/bump.rc PROPERTIES OBJECT_DEPENDS ${bump_bmp})
    target_include_directories(lorvex_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
else()
    file(READ ${bump_bmp} bump_hex HEX OFFSET 14)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bump_bytes "${bump_hex}")
    set(bump_cpp ${CMAKE_CURRENT_BINARY_DIR}/bump_resource.cpp)
    file(CONFIGURE OUTPUT ${bump_cpp} CONTENT [=[
// Generated from resources/bump999.bmp: bitmap 999 as the resource section would hold it.
#include "platform/embedded_resources.h"
#include "platform/platform.h"

namespace {
const std::uint8_t kBump999[] = {@bump_bytes@};
const platform::EmbeddedResource kBumpTable[] = {
    {nullptr, platform::kResourceBitmap, 999, kBump999, sizeof kBump999}};
struct Registration {
    Registration() { platform::RegisterEmbeddedResources(kBumpTable, 1); }
} gRegistration;
}  // namespace
]=] @ONLY)
    target_sources(lorvex_resources PRIVATE ${bump_cpp})
endif()
