#include "host/modinfo/plugin_info.h"

#include "host/modinfo/byte_reader.h"
#include "params/four_cc.h"

namespace modinfo {

namespace {

std::string CStringOf(const std::vector<std::uint8_t>& data) {
    std::string text;
    for (std::uint8_t c : data) {
        if (c == 0) break;
        text += static_cast<char>(c);
    }
    return text;
}

std::string PascalOf(const std::vector<std::uint8_t>& data) {
    ByteReader r(data);
    std::string text = r.PascalString();
    return r.Ok() ? text : std::string();
}

std::uint32_t U32Of(const std::vector<std::uint8_t>& data) {
    ByteReader r(data);
    return r.U32();
}

void Decode(PiplInfo* info) {
    for (const PiplProperty& p : info->properties) {
        switch (p.key) {
            case FourCC("kind"): info->kind = CodeText(U32Of(p.data)); break;
            case FourCC("name"): info->name = PascalOf(p.data); break;
            case FourCC("catg"): info->category = PascalOf(p.data); break;
            case FourCC("vers"): info->interfaceVersion = U32Of(p.data); break;
            case FourCC("wx86"): info->entryX86 = CStringOf(p.data); break;
            case FourCC("8664"): info->entryX64 = CStringOf(p.data); break;
            case FourCC("mode"):
                for (std::size_t bit = 0; bit < p.data.size() * 8; ++bit)
                    if (p.data[bit / 8] & (0x80 >> (bit % 8))) info->modes.push_back(static_cast<int>(bit));
                break;
            case FourCC("hstm"): {
                ByteReader r(p.data);
                info->terminologyVersion = r.U32();
                info->terminologyClass = r.U32();
                info->terminologyEvent = r.U32();
                info->dictionaryId = static_cast<std::int16_t>(r.U16());
                info->hasTerminology = r.Ok();
                std::vector<std::uint8_t> rest(p.data.begin() + std::min<std::size_t>(14, p.data.size()), p.data.end());
                info->scope = CStringOf(rest);
                break;
            }
            case FourCC("enbl"): info->enableExpression = CStringOf(p.data); break;
            case FourCC("fici"):
                for (std::size_t i = 0; i + 4 <= p.data.size(); i += 4)
                    info->filterCases.push_back({p.data[i], p.data[i + 1], p.data[i + 2], p.data[i + 3]});
                break;
            default: break;
        }
    }
}

}  // namespace

const PiplProperty* PiplInfo::Find(std::uint32_t key) const {
    for (const PiplProperty& p : properties)
        if (p.key == key) return &p;
    return nullptr;
}

bool ParsePipl(std::span<const std::uint8_t> bytes, PiplInfo* info, std::string* error) {
    *info = PiplInfo{};
    ByteReader r(bytes);
    info->prefix = r.U16();
    info->version = r.U32();
    info->count = r.U32();
    if (!r.Ok()) {
        *error = "PiPL shorter than its header";
        return false;
    }
    for (std::uint32_t i = 0; i < info->count && r.Remaining() > 0; ++i) {
        PiplProperty p;
        const std::size_t start = r.Offset();
        p.vendor = r.U32();
        p.key = r.U32();
        p.id = r.U32();
        p.length = r.U32();
        std::span<const std::uint8_t> data = r.Bytes(p.length);
        if (!r.Ok()) {
            *error = "PiPL property " + std::to_string(i + 1) + " runs past the end";
            return false;
        }
        p.data.assign(data.begin(), data.end());
        const std::size_t padded = (static_cast<std::size_t>(p.length) + 3) & ~std::size_t{3};
        r.Seek(std::min(bytes.size(), start + 16 + padded));
        info->properties.push_back(std::move(p));
    }
    Decode(info);
    return true;
}

bool ParseAete(std::span<const std::uint8_t> bytes, AeteInfo* info, std::string* error) {
    *info = AeteInfo{};
    ByteReader r(bytes);
    for (std::uint16_t& value : info->header) value = r.U16();
    const std::uint16_t suiteCount = r.U16();
    for (std::uint16_t s = 0; s < suiteCount && r.Ok(); ++s) {
        AeteSuite suite;
        suite.name = r.PascalString();
        suite.description = r.PascalString();
        suite.code = r.U32();
        suite.level = r.U16();
        suite.version = r.U16();
        const std::uint16_t eventCount = r.U16();
        for (std::uint16_t e = 0; e < eventCount && r.Ok(); ++e) {
            AeteEvent event;
            event.name = r.PascalString();
            event.description = r.PascalString();
            event.eventClass = r.U32();
            event.eventId = r.U32();
            event.replyType = r.U32();
            event.replyDescription = r.PascalString();
            event.replyFlags = r.U16();
            event.directType = r.U32();
            event.directDescription = r.PascalString();
            event.directFlags = r.U16();
            const std::uint16_t parameterCount = r.U16();
            for (std::uint16_t p = 0; p < parameterCount && r.Ok(); ++p) {
                AeteParameter parameter;
                parameter.name = r.PascalString();
                parameter.key = r.U32();
                parameter.type = r.U32();
                parameter.description = r.PascalString();
                parameter.flags = r.U16();
                event.parameters.push_back(std::move(parameter));
            }
            suite.events.push_back(std::move(event));
        }
        // Classes, comparison operators and enumerations of this suite.
        info->classCount = r.U16();
        if (info->classCount == 0) {
            info->comparisonCount = r.U16();
            if (info->comparisonCount == 0) info->enumerationCount = r.U16();
        }
        info->suites.push_back(std::move(suite));
    }
    if (!r.Ok()) {
        *error = "dictionary ends early";
        return false;
    }
    info->unreadBytes = r.Remaining();
    return true;
}

}  // namespace modinfo
