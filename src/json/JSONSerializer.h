#pragma once

// The JSON writer with text results: the same text as JSONDataSerializer (whose rules and
// exceptions apply unchanged), as a string value of UTF-16 code units. The result is none when the
// bytes are not UTF-8, which only a fragment can bring about.

#include "foundation/Value.h"
#include "json/JSONDataSerializer.h"

namespace torvane {

class JSONSerializer {
  public:
    [[nodiscard]] static JSONSerializer serializer() { return {}; }

    [[nodiscard]] Value serializeObject(const Value& object) const;
    [[nodiscard]] Value serializeArray(const Value& array) const;
    [[nodiscard]] Value serializeDictionary(const Value& dictionary) const;

  private:
    JSONDataSerializer m_serializer;
};

} // namespace torvane
