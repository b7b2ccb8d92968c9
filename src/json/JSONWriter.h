#pragma once

// The engine behind JSONDataSerializer: walks a tree of nodes and appends its compact JSON text to
// one growing byte buffer.
//
// Budget: no allocation per value. The buffer comes from realloc, so it usually grows in place,
// and becomes the result's Data without a copy; each string reserves its worst case once, then
// writes without further checks. Containers are walked with an explicit stack, so nesting depth
// costs heap, never the call stack.
//
// Failures raise GenericException with the type or object reason; what was written is then
// dropped with the writer.

#include "foundation/Data.h"
#include "foundation/Value.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace torvane {

class JSONWriter {
  public:
    JSONWriter() = default;
    JSONWriter(const JSONWriter&) = delete;
    JSONWriter& operator=(const JSONWriter&) = delete;

    // The dispatcher over a whole tree.
    void writeObject(const Node& node);
    // The number rule; true or false for one-byte numbers 1 and 0.
    void writeNumber(const Node& number);
    // The string rule over a string's text (WTF-8).
    void writeString(const Node& string);
    // Raw data: its bytes read as UTF-8 text, then the string rule.
    void writeData(const Node& data);
    void writeRaw(std::string_view bytes);

    [[nodiscard]] std::string_view text() const {
        return {reinterpret_cast<const char*>(m_bytes.get()), m_size};
    }
    // Hands the text over; the writer is empty afterwards.
    [[nodiscard]] Data takeData();

  private:
    struct Frame {
        const Node* container;
        std::uint32_t next;
    };

    // The longest token written after one check for room: a number, or a word.
    static constexpr std::size_t tokenRoom = 64;

    std::uint8_t* room(std::size_t bytes) {
        if (m_capacity - m_size < bytes) [[unlikely]]
            grow(bytes);
        return m_bytes.get() + m_size;
    }
    void grow(std::size_t bytes);
    void put(char byte) {
        *room(1) = std::uint8_t(byte);
        ++m_size;
    }
    void writeScalar(const Node& node);
    // Whole doubles from 0 to 999999999 (not -0), written by writeSmallInteger.
    static bool isSmallInteger(double value);
    void writeSmallInteger(std::uint32_t value);
    void writeKey(const Node& key);
    // The string rule over text that may be read Arena::readablePastEnd bytes past its end.
    void writePaddedString(std::string_view text);

    Data::MallocBytes m_bytes;
    std::size_t m_size{0};
    std::size_t m_capacity{0};
    std::vector<Frame> m_stack;
};

// The two failures of the writer, with their exact reasons.
[[noreturn]] void raiseTypeException(std::string_view className);
[[noreturn]] void raiseObjectException(const Node& node);

} // namespace torvane
