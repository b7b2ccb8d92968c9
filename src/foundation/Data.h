#pragma once

// An immutable byte buffer with shared ownership (the platform's NSData): scanners hold a counted
// reference to the caller's bytes instead of copying them. A default-constructed Data is none.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

class Data {
  public:
    // Bytes from std::malloc or std::realloc: a buffer that grows in place while it is filled,
    // then becomes a Data without a copy. Released with std::free.
    struct FreeBytes {
        void operator()(std::uint8_t* bytes) const { std::free(bytes); }
    };
    using MallocBytes = std::unique_ptr<std::uint8_t[], FreeBytes>;

    Data() = default;

    [[nodiscard]] static Data copy(std::string_view bytes) {
        return adopt(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    [[nodiscard]] static Data adopt(std::vector<std::uint8_t> bytes) {
        auto owner = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
        Data data;
        data.m_bytes = owner->data();
        data.m_length = owner->size();
        data.m_owner = std::move(owner);
        return data;
    }
    [[nodiscard]] static Data adopt(MallocBytes bytes, std::size_t length) {
        Data data;
        data.m_bytes = bytes.get();
        data.m_length = length;
        data.m_owner = std::shared_ptr<const std::uint8_t[]>(std::move(bytes));
        return data;
    }

    [[nodiscard]] explicit operator bool() const { return m_owner != nullptr; }
    [[nodiscard]] const std::uint8_t* bytes() const { return m_bytes; }
    [[nodiscard]] std::size_t length() const { return m_length; }
    [[nodiscard]] std::string_view view() const { return {reinterpret_cast<const char*>(m_bytes), m_length}; }
    // The same buffer object, not merely equal bytes.
    [[nodiscard]] bool isSameBuffer(const Data& other) const { return m_owner == other.m_owner; }

  private:
    std::shared_ptr<const void> m_owner;
    const std::uint8_t* m_bytes{nullptr};
    std::size_t m_length{0};
};

} // namespace torvane
