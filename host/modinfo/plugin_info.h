#pragma once
// Decoding the PiPL property list and the scripting dictionary (AETE) as a host reads them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace modinfo {

struct PiplProperty {
    std::uint32_t vendor = 0;
    std::uint32_t key = 0;
    std::uint32_t id = 0;
    std::uint32_t length = 0;        // as declared
    std::vector<std::uint8_t> data;  // `length` bytes
};

struct FilterCase {
    std::uint8_t inputHandling, outputHandling, flags1, flags2;
};

struct PiplInfo {
    std::uint16_t prefix = 0;   // 1 on Windows
    std::uint32_t version = 0;  // 0
    std::uint32_t count = 0;    // as declared
    std::vector<PiplProperty> properties;

    // Decoded properties (empty / 0 when absent).
    std::string kind;              // "8BFM" for a filter
    std::string name, category;    // Pascal strings
    std::uint32_t interfaceVersion = 0;
    std::string entryX86, entryX64;  // 'wx86', '8664'
    std::vector<int> modes;          // image modes whose bit is set in 'mode'
    bool hasTerminology = false;     // 'hstm'
    std::uint32_t terminologyVersion = 0, terminologyClass = 0, terminologyEvent = 0;
    std::int16_t dictionaryId = 0;
    std::string scope;
    std::string enableExpression;     // 'enbl'
    std::vector<FilterCase> filterCases;  // 'fici'

    const PiplProperty* Find(std::uint32_t key) const;
};

struct AeteParameter {
    std::string name;
    std::uint32_t key = 0;
    std::uint32_t type = 0;
    std::string description;
    std::uint16_t flags = 0;
};

struct AeteEvent {
    std::string name, description;
    std::uint32_t eventClass = 0, eventId = 0;
    std::uint32_t replyType = 0;
    std::string replyDescription;
    std::uint16_t replyFlags = 0;
    std::uint32_t directType = 0;
    std::string directDescription;
    std::uint16_t directFlags = 0;
    std::vector<AeteParameter> parameters;
};

struct AeteSuite {
    std::string name, description;
    std::uint32_t code = 0;
    std::uint16_t level = 0, version = 0;
    std::vector<AeteEvent> events;
};

struct AeteInfo {
    std::uint16_t header[4] = {};  // prefix 1, version, language, script
    std::vector<AeteSuite> suites;
    std::uint16_t classCount = 0, comparisonCount = 0, enumerationCount = 0;
    std::size_t unreadBytes = 0;   // bytes after the counts that were not decoded
};

// False with *error when the bytes end early or a count runs past them. Property lengths are
// rounded up to a multiple of 4 when stepping to the next property, as tolerant hosts do.
bool ParsePipl(std::span<const std::uint8_t> bytes, PiplInfo* info, std::string* error);
// Reads one suite list; classes, comparison operators and enumerations are counted, and
// anything after the class count is left undecoded (`unreadBytes`).
bool ParseAete(std::span<const std::uint8_t> bytes, AeteInfo* info, std::string* error);

}  // namespace modinfo
