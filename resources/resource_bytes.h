#pragma once
// Little-endian byte output for the resource builders.

#include <cstdint>
#include <string_view>
#include <vector>

class ResourceBytes {
public:
    void U8(std::uint8_t value) { bytes_.push_back(value); }
    void U16(std::uint16_t value) {
        U8(value & 0xFF);
        U8(value >> 8);
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    // A length byte, then the characters (at most 255), no terminator.
    void PascalString(std::string_view text) {
        if (text.size() > 255) text = text.substr(0, 255);
        U8(static_cast<std::uint8_t>(text.size()));
        Raw(text);
    }
    void Raw(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
    void Append(const std::vector<std::uint8_t>& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    // Zero bytes up to the next multiple of `unit` of the size.
    void PadTo(std::size_t unit) {
        while (bytes_.size() % unit != 0) U8(0);
    }
    std::size_t Size() const { return bytes_.size(); }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};
