#pragma once
// The sample picture of `rimelace demo`, compiled into the program: the bytes of a JPEG file
// (host/cli/demo/demo_picture.jpg, drawn by demo/make_demo_picture.cpp).

#include <cstddef>
#include <cstdint>
#include <span>

namespace rimelace_cli {

std::span<const std::uint8_t> DemoPictureBytes();

} // namespace rimelace_cli
