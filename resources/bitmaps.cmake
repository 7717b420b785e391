# The module's bitmaps: 999 (the 40 x 40 bump image, bump999.bmp) and 115 (the 160 x 160 sample
# picture of the preset thumbnails, sample115.bmp). On Windows they come from the resource section
# (bitmaps.rc); on Linux a generated source file holds the same DIB bytes (the .bmp
# without its 14-byte file header, as the resource section stores it), registered with
# platform::RegisterEmbeddedResources.
set(module_bitmaps 999 ${CMAKE_CURRENT_SOURCE_DIR}/bump999.bmp 115 ${CMAKE_CURRENT_SOURCE_DIR}/sample115.bmp)
if(WIN32)
    target_sources(lorvex_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/bitmaps.rc)
    set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/bitmaps.rc PROPERTIES
        OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/bump999.bmp;${CMAKE_CURRENT_SOURCE_DIR}/sample115.bmp")
    target_include_directories(lorvex_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
else()
    set(bitmap_arrays "")
    set(bitmap_rows "")
    set(bitmap_count 0)
    while(module_bitmaps)
        list(POP_FRONT module_bitmaps id file)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
        file(READ ${file} hex HEX OFFSET 14)
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
        string(APPEND bitmap_arrays "const std::uint8_t kBitmap${id}[] = {${bytes}};\n")
        string(APPEND bitmap_rows "    {nullptr, platform::kResourceBitmap, ${id}, kBitmap${id}, sizeof kBitmap${id}},\n")
        math(EXPR bitmap_count "${bitmap_count} + 1")
    endwhile()
    set(bitmaps_cpp ${CMAKE_CURRENT_BINARY_DIR}/bitmap_resources.cpp)
    file(CONFIGURE OUTPUT ${bitmaps_cpp} CONTENT [=[
// Generated from resources/*.bmp: the module's bitmaps as the resource section would hold them.
#include "platform/embedded_resources.h"
#include "platform/platform.h"

namespace {
@bitmap_arrays@
const platform::EmbeddedResource kBitmapTable[] = {
@bitmap_rows@};
struct Registration {
    Registration() { platform::RegisterEmbeddedResources(kBitmapTable, @bitmap_count@); }
} gRegistration;
}  // namespace
]=] @ONLY)
    target_sources(lorvex_resources PRIVATE ${bitmaps_cpp})
endif()
