#include "json/ShortestDouble.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

// Only Dragonbox is taken from {fmt}, inlined from its headers, so that no library is loaded for it.
#include <fmt/format.h>

namespace torvane {

namespace {

constexpr char digitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The eight digits of a value below 10^8, leading zeros included: four pairs, made independently.
void writeEightDigits(char* out, std::uint32_t value) {
    std::uint32_t high = value / 10000, low = value % 10000;
    std::memcpy(out, digitPairs + 2 * (high / 100), 2);
    std::memcpy(out + 2, digitPairs + 2 * (high % 100), 2);
    std::memcpy(out + 4, digitPairs + 2 * (low / 100), 2);
    std::memcpy(out + 6, digitPairs + 2 * (low % 100), 2);
}

// The number of decimal digits of a value from 1 on.
int digitCount(std::uint64_t value) {
    static constexpr std::uint64_t powersOfTen[] = {1ull,
                                                    10ull,
                                                    100ull,
                                                    1000ull,
                                                    10000ull,
                                                    100000ull,
                                                    1000000ull,
                                                    10000000ull,
                                                    100000000ull,
                                                    1000000000ull,
                                                    10000000000ull,
                                                    100000000000ull,
                                                    1000000000000ull,
                                                    10000000000000ull,
                                                    100000000000000ull,
                                                    1000000000000000ull,
                                                    10000000000000000ull,
                                                    100000000000000000ull,
                                                    1000000000000000000ull,
                                                    10000000000000000000ull};
    // 1233 / 4096 is just above log10(2): the guess is the exact count or one more than it.
    int guess = ((64 - std::countl_zero(value)) * 1233) >> 12;
    return guess + 1 - int(value < powersOfTen[guess]);
}

} // namespace

char* writeShortestDouble(char* out, double value) {
    // Zero, and whole numbers (their digits end in zeros: the standard library's fixed form of those
    // is left to it), are rare in this path; they go to std::to_chars, whose text this matches.
    if (value == 0)
        return std::to_chars(out, out + shortestDoubleRoom, value).ptr;
    auto decimal = fmt::detail::dragonbox::to_decimal(value);
    if (decimal.exponent >= 0)
        return std::to_chars(out, out + shortestDoubleRoom, value).ptr;

    // value = ±significand × 10^exponent, with the fewest digits (at most seventeen), and a
    // fraction. All seventeen places are written, then the leading zeros skipped. Digits are
    // copied seventeen at a time whatever their count, without a call: `places` has room to be
    // read that far, and `out` to be written that far.
    std::uint64_t significand = decimal.significand;
    int count = digitCount(significand);
    char places[17 + 17] = {};
    std::uint64_t high = significand / 100000000;
    places[0] = char('0' + high / 100000000);
    writeEightDigits(places + 1, std::uint32_t(high % 100000000));
    writeEightDigits(places + 9, std::uint32_t(significand % 100000000));
    const char* digits = places + 17 - count;
    if (value < 0)
        *out++ = '-';
    // Digits before the point in the fixed form (none or fewer than zero: "0.00ddd").
    int point = count + decimal.exponent;
    int fixedLength = point > 0 ? count + 1 : 2 - point + count;
    int power = point - 1;
    int absolutePower = power < 0 ? -power : power;
    int scientificLength = count + (count > 1 ? 1 : 0) + 2 + (absolutePower >= 100 ? 3 : 2);

    if (scientificLength < fixedLength) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            std::memcpy(out, digits + 1, 17);
            out += count - 1;
        }
        *out++ = 'e';
        *out++ = power < 0 ? '-' : '+';
        if (absolutePower >= 100)
            *out++ = char('0' + absolutePower / 100);
        std::memcpy(out, digitPairs + 2 * (absolutePower % 100), 2);
        return out + 2;
    }
    if (point > 0) {
        std::memcpy(out, digits, 17);
        std::memcpy(out + point + 1, digits + point, 17);
        out[point] = '.';
        return out + count + 1;
    }
    // The fixed form is the shorter only for a few zeros after the point.
    std::memcpy(out, "0.00000", 8);
    out += 2 - point;
    std::memcpy(out, digits, 17);
    return out + count;
}

} // namespace torvane
