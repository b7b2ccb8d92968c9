#pragma once

// A piece of JSON text that is already serialized: placed in a tree (through value()), the
// writers copy its bytes out unchanged, without testing them.
//
//     SerializedJSONData cached(Data::copy("[1,2]"));
//     Value tree = Value::array({cached.value()});   // serializes as [[1,2]]

#include "foundation/Data.h"
#include "foundation/Value.h"

namespace torvane {

class SerializedJSONData {
  public:
    explicit SerializedJSONData(Data data);

    // The very buffer this object was made with.
    [[nodiscard]] const Data& data() const { return m_data; }
    // The fragment value that stands for these bytes inside a tree of values.
    [[nodiscard]] const Value& value() const { return m_value; }

  private:
    Data m_data;
    Value m_value;
};

} // namespace torvane
