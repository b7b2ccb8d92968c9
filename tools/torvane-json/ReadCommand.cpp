// `torvane-json read`: one line, `value JSON`, `none` or `error DOMAIN CODE MESSAGE`.
//
// The JSON is canonical, so that tests can compare it as text: keys sorted by UTF-16 code
// units, every unit outside 0x20-0x7E (and `"`, `\`) as \u with four lowercase hex digits,
// numbers with %.17g, no spaces.

#include "Commands.h"

#include "json/JSON.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace torvane::tool {

namespace {

void appendString(std::u16string_view units, std::string& out) {
    out += '"';
    for (char16_t unit : units) {
        if (unit >= 0x20 && unit <= 0x7E && unit != '"' && unit != '\\') {
            out += char(unit);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(unit));
            out += escape;
        }
    }
    out += '"';
}

void appendNumber(double number, std::string& out) {
    if (std::isnan(number)) {
        out += "nan";
    } else if (std::isinf(number)) {
        out += number < 0 ? "-inf" : "inf";
    } else {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", number);
        out += text;
    }
}

void appendCanonical(const Value& value, std::string& out) {
    switch (value.kind()) {
    case Kind::Null:
        out += "null";
        return;
    case Kind::Number:
        if (value.isBoolean())
            out += value.boolValue() ? "true" : "false";
        else
            appendNumber(value.doubleValue(), out);
        return;
    case Kind::String:
        appendString(value.units(), out);
        return;
    case Kind::Array:
        out += '[';
        for (std::size_t i = 0; i < value.count(); ++i) {
            if (i)
                out += ',';
            appendCanonical(value[i], out);
        }
        out += ']';
        return;
    case Kind::Dictionary: {
        std::vector<std::size_t> order(value.count());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return value.keyAt(a).units() < value.keyAt(b).units();
        });
        out += '{';
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i)
                out += ',';
            appendString(value.keyAt(order[i]).units(), out);
            out += ':';
            appendCanonical(value.valueAt(order[i]), out);
        }
        out += '}';
        return;
    }
    case Kind::Data:
    case Kind::Fragment:
    case Kind::Foreign:
        break; // the reader makes none of these
    }
    out += "null";
}

} // namespace

int readCommand(std::string_view input, ReadAs as) {
    Data data = Data::copy(input);
    Error error;
    Value value;
    switch (as) {
    case ReadAs::Any:
        value = JSONDeserializer::deserialize(data, &error);
        break;
    case ReadAs::Dictionary:
        value = JSONDeserializer::deserializeAsDictionary(data, &error);
        break;
    case ReadAs::Array:
        value = JSONDeserializer::deserializeAsArray(data, &error);
        break;
    }
    if (!error.domain.empty()) {
        std::printf("error %s %ld %s\n", error.domain.c_str(), error.code,
                    error.localizedDescription().c_str());
        return 1;
    }
    if (value.isNone()) {
        std::printf("none\n");
        return 0;
    }
    std::string line = "value ";
    appendCanonical(value, line);
    std::printf("%s\n", line.c_str());
    return 0;
}

} // namespace torvane::tool
