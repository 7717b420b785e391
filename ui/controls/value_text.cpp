#include "ui/controls/value_text.h"

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string FormatControlValue(float value, bool integer) {
    char text[64];
    if (integer)
        std::snprintf(text, sizeof text, "%.0f", double(TruncateValue(value)));
    else
        std::snprintf(text, sizeof text, "%0.2f", double(value));
    return text;
}

float ParseControlNumber(const char* text) {
    if (!text) return 0.0f;
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    // Take only the characters of a plain decimal number, so that "inf", "nan" and hexadecimal
    // forms read as 0 like any other text.
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    bool digits = false;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p, digits = true;
    if (*p == '.') {
        ++p;
        while (std::isdigit(static_cast<unsigned char>(*p))) ++p, digits = true;
    }
    if (!digits) return 0.0f;
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-') ++exponent;
        if (std::isdigit(static_cast<unsigned char>(*exponent))) {
            p = exponent;
            while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
        }
    }
    const std::string number(start, p);
    double value = std::strtod(number.c_str(), nullptr);
    if (!(value <= FLT_MAX)) value = FLT_MAX;
    if (!(value >= -FLT_MAX)) value = -FLT_MAX;
    return float(value);
}

int TruncateToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= float(INT_MAX)) return INT_MAX;
    if (value <= float(INT_MIN)) return INT_MIN;
    return int(value);
}

float TruncateValue(float value) { return std::trunc(value) + 0.0f; }
