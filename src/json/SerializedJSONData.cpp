#include "json/SerializedJSONData.h"

#include <utility>

namespace torvane {

SerializedJSONData::SerializedJSONData(Data data)
    : m_data(std::move(data)), m_value(Value::fragment(m_data.view())) {}

} // namespace torvane
