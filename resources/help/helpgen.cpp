// helpgen TEMPLATE OUTPUT: writes the help document rimelacedoc.html from its template, taking
// every control's label, tooltip, range and default from the parameter table.
//
// Template lines:
//   @controls                  starts a table of controls
//   @control FIELD [FIELD...]  one control (several fields for one control, as the light rotor),
//                              followed by lines of prose up to a blank line
//   @end                       ends the table
//   @picture FILE | CAPTION    a picture from rimelacedoc_files/
// Anything else is copied as it stands. Every field the dialog edits must be documented exactly
// once, so the document cannot fall behind the table.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "params/param_table.h"

namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    std::string out = text;
    if (value < 0) out = "&minus;" + out.substr(1);
    return out;
}

std::string Joined(std::span<const char* const> labels) {
    std::string out;
    for (const char* label : labels)
        out += (out.empty() ? "" : ", ") + std::string("\u201c") + Escape(label) + "\u201d";
    return out;
}

bool IsInteger(const ParamEntry& entry) { return entry.ref.type != FieldType::F32; }

// What the control offers, in words.
std::string RangeText(const ParamEntry& entry) {
    const std::string field = entry.field;
    switch (entry.rangeKind) {
    case RangeKind::Span:
        if (field == "EffectKind" || field == "PatternKind") return "list: " + Joined(EffectLabels());
        return Number(entry.rangeMin) + " &hellip; " + Number(entry.rangeMax) +
               (IsInteger(entry) ? " (whole numbers)" : "");
    case RangeKind::List:
        if (field == "RenderMode") return "list: " + Joined(RenderModeLabels());
        if (field == "MaskKind") return "list: " + Joined(MaskKindLabels());
        if (field == "GrowDirect") return "list: " + Joined(GrowDirectLabels());
        return "list";
    case RangeKind::Flag:
        return "on or off";
    case RangeKind::Colour:
        return "any colour (click to choose)";
    case RangeKind::Angle:
        return "angle in degrees (drag the rotor)";
    }
    return "";
}

std::string DefaultText(const ParamEntry& entry) {
    const std::string field = entry.field;
    const int value = int(entry.defaultValue);
    switch (entry.rangeKind) {
    case RangeKind::Flag:
        return value ? "on" : "off";
    case RangeKind::Colour: {
        char text[64];
        std::snprintf(text, sizeof text, "<span class=\"swatch\" style=\"background:#%02X%02X%02X\"></span>",
                      value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
        return text;
    }
    case RangeKind::Angle:
        return Number(entry.defaultValue) + "&deg;";
    case RangeKind::List:
        if (field == "RenderMode") return Escape(RenderModeLabels()[std::size_t(value - 1)]);
        if (field == "MaskKind") return Escape(MaskKindLabels()[std::size_t(value - 1)]);
        if (field == "GrowDirect") return Escape(GrowDirectLabels()[std::size_t(value - 1)]);
        break;
    default:
        break;
    }
    return Number(entry.defaultValue);
}

[[noreturn]] void Fail(const std::string& where, const std::string& why) {
    std::cerr << "helpgen: " << where << ": " << why << "\n";
    std::exit(1);
}

// Which fields share one control: the effect list (two fields) and the light rotor (two angles).
bool SharesControl(const ParamEntry& a, const ParamEntry& b) {
    return a.page == b.page && a.controlId == b.controlId;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: helpgen TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) Fail(argv[1], "cannot read");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);

    std::map<std::string, int> documented;
    std::ostringstream out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::string where = std::string(argv[1]) + ":" + std::to_string(i + 1);
        if (line == "@controls") {
            out << "<table class=\"controls\">\n<tr><th>Control</th><th>Tooltip</th><th>Range</th>"
                   "<th>Default</th><th>What it changes</th></tr>\n";
        } else if (line == "@end") {
            out << "</table>\n";
        } else if (line.rfind("@picture ", 0) == 0) {
            const std::string rest = line.substr(9);
            const auto bar = rest.find(" | ");
            if (bar == std::string::npos) Fail(where, "@picture needs FILE | CAPTION");
            out << "<figure><img src=\"rimelacedoc_files/" << Escape(rest.substr(0, bar)) << "\" alt=\""
                << Escape(rest.substr(bar + 3)) << "\"><figcaption>" << rest.substr(bar + 3)
                << "</figcaption></figure>\n";
        } else if (line.rfind("@control ", 0) == 0) {
            std::istringstream names(line.substr(9));
            std::vector<const ParamEntry*> entries;
            for (std::string name; names >> name;) {
                const ParamEntry* entry = FindParamByField(name);
                if (!entry) Fail(where, "no parameter field \"" + name + "\"");
                if (entry->controlId == 0) Fail(where, name + " is not edited in the dialog");
                if (!entries.empty() && !SharesControl(*entries.front(), *entry))
                    Fail(where, name + " does not share a control with " + entries.front()->field);
                if (documented[name]++) Fail(where, name + " is documented twice");
                entries.push_back(entry);
            }
            if (entries.empty()) Fail(where, "@control names no field");
            std::string prose;
            while (i + 1 < lines.size() && !lines[i + 1].empty() && lines[i + 1][0] != '@')
                prose += (prose.empty() ? "" : " ") + lines[++i];
            const ParamEntry& first = *entries.front();
            std::string defaults;
            for (const ParamEntry* entry : entries)
                defaults += (defaults.empty() ? "" : ", ") + DefaultText(*entry);
            if (std::string(first.field) == "EffectKind" || std::string(first.field) == "PatternKind") {
                RimelaceParams defaultParams{};
                for (const ParamEntry* entry : entries)
                    SetDefault(defaultParams, *entry);
                const int index = EffectIndex(defaultParams.EffectKind, defaultParams.PatternKind);
                defaults = Escape(EffectLabels()[std::size_t(index)]);
            }
            out << "<tr id=\"" << first.field << "\"><td class=\"label\">" << Escape(first.label) << "</td><td>"
                << (*first.tooltip ? "\u201c" + Escape(first.tooltip) + "\u201d" : "") << "</td><td>"
                << RangeText(first) << "</td><td>" << defaults << "</td><td>" << prose << "</td></tr>\n";
        } else {
            out << line << "\n";
        }
    }
    for (const ParamEntry& entry : ParamTable())
        if (entry.controlId != 0 && !documented.count(entry.field))
            Fail(argv[1], std::string("the dialog's control for ") + entry.field + " is not documented");

    std::ofstream file(argv[2], std::ios::binary);
    file << out.str();
    if (!file.flush()) Fail(argv[2], "cannot write");
    return 0;
}
