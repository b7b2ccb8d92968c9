#pragma once

// The canonical text of a value, as torvane-json read prints it (and the tests compare values
// read by different readers with it): keys sorted by UTF-16 units, units outside 0x20-0x7E (and `"`, `\`) as
// \u with lowercase hex, numbers with %.17g, no spaces.

#include "foundation/Value.h"
#include "json/JSONStringEscaping.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

namespace torvane::tool {

inline void appendCanonicalString(std::u16string_view units, std::string& out) {
    appendQuotedJSONString(out, units, JSONEscaping::asciiOnly);
}

inline void appendCanonical(const Value& value, std::string& out) {
    if (value.isString()) {
        appendCanonicalString(value.units(), out);
    } else if (value.isBoolean()) {
        out += value.boolValue() ? "true" : "false";
    } else if (value.isNumber()) {
        double number = value.doubleValue();
        char text[40];
        if (std::isnan(number))
            out += "nan";
        else if (std::isinf(number))
            out += number < 0 ? "-inf" : "inf";
        else
            out += (std::snprintf(text, sizeof text, "%.17g", number), text);
    } else if (value.isArray()) {
        out += '[';
        for (std::size_t i = 0; i < value.count(); ++i) {
            if (i)
                out += ',';
            appendCanonical(value[i], out);
        }
        out += ']';
    } else if (value.isDictionary()) {
        std::vector<std::size_t> order(value.count());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](std::size_t left, std::size_t right) {
            return value.keyAt(left).units() < value.keyAt(right).units();
        });
        out += '{';
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i)
                out += ',';
            appendCanonicalString(value.keyAt(order[i]).units(), out);
            out += ':';
            appendCanonical(value.valueAt(order[i]), out);
        }
        out += '}';
    } else {
        out += "null";
    }
}

inline std::string canonical(const Value& value) {
    if (value.isNone())
        return "none";
    std::string out = "value ";
    appendCanonical(value, out);
    return out;
}

} // namespace torvane::tool
