#pragma once

// Writes a tree of values as compact JSON text in UTF-8: no whitespace between tokens, "," and ":"
// the only separators.
//
// What each kind becomes, tested in this order (the dispatcher, serializeObject):
//   null                 null
//   number               true or false for one-byte numbers 1 and 0 (booleans are one-byte
//                        numbers); otherwise its text: integers exactly, finite doubles in the
//                        shortest text that reads back to the same double, without a fraction when
//                        integral ("1"); a double that is not finite raises the object exception
//   string               quoted; \\ \" \/ \b \f \n \r \t, every other unit below U+0020 and every
//                        lone surrogate as \u and four lowercase hex digits; all else as UTF-8
//   array, dictionary    [a,b] and {"k":v}, members in the dictionary's own order; a key that is
//                        not a string raises the type exception naming the key's class
//   data                 its bytes read as UTF-8, written as a string; bytes that are not UTF-8
//                        raise the object exception
//   fragment             its bytes, unchanged and untested (SerializedJSONData)
//   anything else        the type exception (also for none)
//
// Failures raise GenericException with the reason "Cannot serialize data of type '<class>'" (the
// type exception) or "Could not serialize object '<description>'" (the object exception). An
// exception anywhere in a tree leaves at once: no partial text is returned.
//
// The serializer has no state: one instance, or any number, may be used from any thread.
//
//     Data text = JSONDataSerializer::serializer().serializeObject(value);

#include "foundation/Data.h"
#include "foundation/Value.h"

#include <cstdint>
#include <vector>

namespace torvane {

class JSONDataSerializer {
  public:
    [[nodiscard]] static JSONDataSerializer serializer() { return {}; }

    // The dispatcher: the text of any value.
    [[nodiscard]] Data serializeObject(const Value& object) const;
    // The shared "null" bytes, whatever the argument; every call hands out the same buffer.
    [[nodiscard]] Data serializeNull(const Value& ignored = {}) const;
    // The shared "true" or "false" bytes for one-byte numbers 1 and 0, otherwise the number's text.
    [[nodiscard]] Data serializeNumber(const Value& number) const;
    [[nodiscard]] Data serializeString(const Value& string) const;
    [[nodiscard]] Data serializeArray(const Value& array) const;
    [[nodiscard]] Data serializeDictionary(const Value& dictionary) const;
    // The rules above take only their own kind; any other raises the type exception.

    // The dispatcher's text appended to `out`, for callers that gather several texts in one buffer.
    // On an exception `out` is left as it was.
    void appendObject(const Value& object, std::vector<std::uint8_t>& out) const;
};

} // namespace torvane
