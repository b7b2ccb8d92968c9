#include "json/ShortestDouble.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

using namespace torvane;

namespace {

void expectSameTextAsToChars(double value) {
    char ours[shortestDoubleRoom];
    char theirs[64];
    std::string written(ours, writeShortestDouble(ours, value));
    std::string expected(theirs, std::to_chars(theirs, theirs + sizeof theirs, value).ptr);
    EXPECT_EQ(written, expected) << std::bit_cast<std::uint64_t>(value);
}

} // namespace

TEST(ShortestDouble, WritesWhatToCharsWritesAtTheEdgesOfEveryForm) {
    const double edges[] = {0.1,
                            -0.1,
                            0.5,
                            1.5,
                            123.456,
                            -65.613616999999977,
                            0.0001,
                            0.001,
                            1e-5,
                            0.000123,
                            1.25e-7,
                            12345.678e10,
                            1e21,
                            1e22,
                            1e23,
                            9007199254740993.0,
                            123456789012345680.0,
                            2.5e-308,
                            5e-324,
                            2.2250738585072014e-308,
                            std::numeric_limits<double>::max(),
                            -std::numeric_limits<double>::max(),
                            0.0,
                            -0.0,
                            1e100,
                            1.7e-100,
                            4.35,
                            0.3,
                            2.0 / 3.0};
    for (double value : edges)
        expectSameTextAsToChars(value);
    // Where fixed and scientific forms change places, by powers of ten.
    for (int power = -30; power <= 30; ++power)
        for (double mantissa : {1.0, 1.5, 1.25, 9.999, 3.14159265358979})
            expectSameTextAsToChars(mantissa * std::pow(10.0, power));
}

TEST(ShortestDouble, WritesWhatToCharsWritesForRandomBitPatterns) {
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 200000; ++i) {
        auto value = std::bit_cast<double>(random());
        if (std::isfinite(value))
            expectSameTextAsToChars(value);
    }
    // Numbers as documents hold them: a few digits either side of the point.
    for (int i = 0; i < 200000; ++i)
        expectSameTextAsToChars(double(std::int64_t(random() % 2000000001) - 1000000000) /
                                double(std::uint64_t(1) << (random() % 40)));
}
