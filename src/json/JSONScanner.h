#pragma once

// Reads JSON text from a byte buffer into values: dictionaries, arrays, strings, numbers
// (doubles), booleans and null. One scanning method per kind of value; each returns whether it
// succeeded and reports a failure through an Error in "JSONScannerErrorDomain".
//
// Contracts:
// - On failure the value out-parameter is left alone, except by scanJSONObject(), which always
//   writes it (none on failure). Dictionaries, arrays and strings put the cursor back where
//   they began when they fail.
// - scanJSONObject() may succeed with no value (none): the text at the cursor begins no value.
// - Errors nest outwards: a container that fails after an inner scan failed writes its own code
//   over the inner one, except the nesting limit, which is reported as it stands.
// - Every value of one successful call lives in one arena, freed with the last Value into it.
//
// Budget: no allocation per value; the scanner works on the buffer's bytes and copies each
// container once, into the document's arena.

#include "json/DataScanner.h"

#include "foundation/Error.h"

#include <cstddef>

namespace torvane {

class JSONScanner : public DataScanner {
  public:
    static constexpr const char* errorDomain = "JSONScannerErrorDomain";
    // Containers nested deeper than this fail with nestingTooDeep instead of exhausting the stack.
    static constexpr unsigned maximumNestingDepth = 1024;

    enum ErrorCode : long {
        dictionaryNotStarted = -1,    // `[1]` as a dictionary
        dictionaryKeyFailed = -2,     // `{1:2}`
        dictionaryNoColon = -3,       // `{"a" 1}`
        dictionaryValueFailed = -4,   // `{"a":"\q"}`
        dictionaryNoComma = -5,       // `{"a":1 "b":2}`
        dictionaryNotTerminated = -6, // never produced: the loop ends only at the '}'; kept, as
                                      // callers may name every code of the documented table
        arrayNotStarted = -7,         // `{}` as an array
        arrayValueFailed = -8,        // `[1, "\q"]`, `[,1]`, `[tru]`
        arrayNoComma = -9,            // `[1 2]`
        arrayNotTerminated = -10,     // never produced: the loop ends only at the ']'; kept as -6
        stringNotStarted = -11,       // `'abc'`
        stringBadUnicode = -12,       // `"\u12G4"`
        stringBadEscape = -13,        // `"\x"`
        numberNotStarted = -14,       // `x` as a number
        nestingTooDeep = -15,         // 1025 `[`
        stringNotTerminated = -16,    // `"abc`
        stringNotUTF8 = -17,          // `"` 0xFF `"`
        dataNotDecodable = -18,       // UTF-16 pattern with a lone surrogate
    };

    [[nodiscard]] static JSONScanner scannerWithData(const Data& data);
    [[nodiscard]] static Error makeError(long code);

    // Data in UTF-16 or UTF-32 (told apart by the zero bytes among its first four, as in
    // RFC 4627) is converted to UTF-8 first; a byte-order mark is not recognised. Data in such an
    // encoding that does not decode leaves the scanner empty, and every scan fails with
    // dataNotDecodable.
    void setData(const Data& data) override;

    bool scanJSONObject(Value* out, Error* error);
    bool scanJSONDictionary(Value* out, Error* error);
    bool scanJSONArray(Value* out, Error* error);
    bool scanJSONStringConstant(Value* out, Error* error);
    bool scanJSONNumberConstant(Value* out, Error* error);
    // The bytes up to the next quotation mark, backslash or the end.
    bool scanNotQuoteCharactersIntoString(Value* out);

  private:
    class Parser;
    enum class Start { Object, Dictionary, Array, String, Number };
    bool scan(Start start, Value* out, Error* error);

    Data m_original;
    bool m_undecodable{false};
};

} // namespace torvane
