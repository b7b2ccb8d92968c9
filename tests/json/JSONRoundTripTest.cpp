#include "json/JSON.h"

#include "foundation/Error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace torvane;

namespace {

Value readBack(const Data& text, Error& error) {
    return JSONDeserializer::deserialize(text, &error);
}

// Values of every shape the reader can produce: numbers are doubles, strings any UTF-16 (lone
// surrogates, U+0000 and the other control characters included), keys strings.
class RandomValues {
  public:
    explicit RandomValues(std::uint64_t seed) : m_random(seed) {}

    Value value(int depth) {
        switch (below(depth > 0 ? 7 : 5)) {
        case 0:
            return Value::null();
        case 1:
            return Value::boolean(below(2) == 1);
        case 2:
        case 3:
            return Value::number(number());
        case 4:
            return Value::string(string());
        case 5: {
            std::vector<Value> elements(below(6));
            for (auto& element : elements)
                element = value(depth - 1);
            return Value::array(elements);
        }
        default: {
            std::vector<std::pair<Value, Value>> members(below(6));
            for (auto& [key, member] : members) {
                key = Value::string(string());
                member = value(depth - 1);
            }
            return Value::dictionary(members);
        }
        }
    }

  private:
    std::uint64_t below(std::uint64_t bound) { return m_random() % bound; }

    double number() {
        switch (below(6)) {
        case 0:
            return double(std::int64_t(below(2001)) - 1000);
        case 1:
            return double(std::int64_t(m_random() >> 4)) * (below(2) ? 1 : -1);
        case 2:
            return double(std::int64_t(below(2000001)) - 1000000) / 1000;
        case 3: {
            constexpr double specials[] = {0.0,
                                           -0.0,
                                           std::numeric_limits<double>::max(),
                                           std::numeric_limits<double>::min(),
                                           std::numeric_limits<double>::denorm_min(),
                                           1e21,
                                           1e-7};
            return specials[below(std::size(specials))];
        }
        default: {
            // Any finite bit pattern.
            for (;;) {
                std::uint64_t bits = m_random();
                double value;
                std::memcpy(&value, &bits, sizeof value);
                if (std::isfinite(value))
                    return value;
            }
        }
        }
    }

    std::u16string string() {
        std::u16string units;
        for (auto length = below(12); length > 0; --length) {
            switch (below(8)) {
            case 0:
                units += char16_t(below(0x20));
                break;
            case 1:
                units += u"\"\\/"[below(3)];
                break;
            case 2:
                units += char16_t(0xD800 + below(0x800)); // a surrogate, usually lone
                break;
            case 3:
                units += char16_t(0xD800 + below(0x400));
                units += char16_t(0xDC00 + below(0x400));
                break;
            case 4: {
                auto unit = char16_t(0x80 + below(0xFF80));
                units += unit;
                break;
            }
            default:
                units += char16_t(0x20 + below(0x60));
                break;
            }
        }
        return units;
    }

    std::mt19937_64 m_random;
};

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

} // namespace

TEST(JSONRoundTrip, ReadingWhatTheWriterWroteGivesTheSameValue) {
    RandomValues random(20261208);
    auto serializer = JSONDataSerializer::serializer();
    for (int i = 0; i < 3000; ++i) {
        Value original = random.value(4);
        Data text = serializer.serializeObject(original);
        Error error;
        Value back = readBack(text, error);
        ASSERT_TRUE(back) << text.view() << " " << error.domain << " " << error.code;
        ASSERT_EQ(back, original) << text.view();
        // And the text is stable: writing what was read gives the same bytes.
        ASSERT_EQ(serializer.serializeObject(back).view(), text.view());
    }
}

TEST(JSONRoundTrip, TheStandardFilesSurviveAWriteAndARead) {
    auto serializer = JSONDataSerializer::serializer();
    for (const char* file : {"twitter.json", "citm_catalog.json", "canada.json"}) {
        std::string text = readFile(std::string(TORVANE_SOURCE_DIR) + "/bench/data/" + file);
        ASSERT_FALSE(text.empty()) << file;
        Error error;
        Value original = readBack(Data::copy(text), error);
        ASSERT_TRUE(original) << file;
        Value back = readBack(serializer.serializeObject(original), error);
        EXPECT_EQ(back, original) << file;
    }
}
