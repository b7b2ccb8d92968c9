#pragma once

// An immutable byte buffer with shared ownership (the platform's NSData): scanners hold a counted
// reference to the caller's bytes instead of copying them. A default-constructed Data is none.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

class Data {
  public:
    Data() = default;

    [[nodiscard]] static Data copy(std::string_view bytes) {
        return adopt(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    [[nodiscard]] static Data adopt(std::vector<std::uint8_t> bytes) {
        Data data;
        data.m_bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
        return data;
    }

    [[nodiscard]] explicit operator bool() const { return m_bytes != nullptr; }
    [[nodiscard]] const std::uint8_t* bytes() const { return m_bytes ? m_bytes->data() : nullptr; }
    [[nodiscard]] std::size_t length() const { return m_bytes ? m_bytes->size() : 0; }
    [[nodiscard]] std::string_view view() const { return {reinterpret_cast<const char*>(bytes()), length()}; }
    // The same buffer object, not merely equal bytes.
    [[nodiscard]] bool isSameBuffer(const Data& other) const { return m_bytes == other.m_bytes; }

  private:
    std::shared_ptr<const std::vector<std::uint8_t>> m_bytes;
};

} // namespace torvane
