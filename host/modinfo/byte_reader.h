#pragma once
// Bounds-checked little-endian reading over a byte range. A read past the end yields zeros
// and marks the reader failed; callers check Ok() once after a group of reads.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace modinfo {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t offset = 0) : bytes_(bytes), at_(offset) {
        if (offset > bytes.size()) ok_ = false;
    }

    bool Ok() const { return ok_; }
    std::size_t Offset() const { return at_; }
    std::size_t Remaining() const { return at_ <= bytes_.size() ? bytes_.size() - at_ : 0; }
    void Seek(std::size_t offset) {
        if (offset > bytes_.size()) ok_ = false;
        else at_ = offset;
    }
    void Skip(std::size_t count) { Seek(count <= Remaining() ? at_ + count : bytes_.size() + 1); }

    std::uint8_t U8() { return static_cast<std::uint8_t>(Take(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Take(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Take(4)); }
    std::uint64_t U64() { return Take(8); }

    // A length byte followed by that many characters.
    std::string PascalString() {
        std::size_t length = U8();
        return Chars(length);
    }
    std::string Chars(std::size_t count) {
        if (count > Remaining()) {
            ok_ = false;
            return {};
        }
        std::string text(reinterpret_cast<const char*>(bytes_.data() + at_), count);
        at_ += count;
        return text;
    }
    std::span<const std::uint8_t> Bytes(std::size_t count) {
        if (count > Remaining()) {
            ok_ = false;
            return {};
        }
        std::span<const std::uint8_t> part = bytes_.subspan(at_, count);
        at_ += count;
        return part;
    }

private:
    std::uint64_t Take(std::size_t count) {
        if (!ok_ || count > Remaining()) {
            ok_ = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < count; ++i) value |= std::uint64_t(bytes_[at_ + i]) << (8 * i);
        at_ += count;
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// A four-character code as text in reading order ('8BIM'); unprintable bytes as '?'.
inline std::string CodeText(std::uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((code >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

}  // namespace modinfo
