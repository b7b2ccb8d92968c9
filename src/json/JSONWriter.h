#pragma once

// The engine behind JSONDataSerializer: walks a tree of nodes and appends its compact JSON text to
// one growing byte buffer.
//
// Budget: no allocation per value. Text is gathered in a fixed chunk that lives inside the writer
// and is flushed to the caller's buffer in large pieces; containers are walked with an explicit
// stack, so nesting depth costs heap, never the call stack.
//
// Failures raise GenericException with the type or object reason; the caller's buffer may then
// hold a partial text, which the caller discards.

#include "foundation/Value.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace torvane {

class JSONWriter {
  public:
    explicit JSONWriter(std::vector<std::uint8_t>& out) : m_out(out) {}
    JSONWriter(const JSONWriter&) = delete;
    JSONWriter& operator=(const JSONWriter&) = delete;

    // The dispatcher over a whole tree.
    void writeObject(const Node& node);
    // The number rule; true or false for one-byte numbers 1 and 0.
    void writeNumber(const Node& number);
    // The string rule over UTF-16 code units.
    void writeString(std::u16string_view units);
    // Raw data: its bytes read as UTF-8 text, then the string rule.
    void writeData(const Node& data);
    void writeRaw(std::string_view bytes);

    // Moves what is gathered into the caller's buffer; call once the text is complete.
    void finish() { flush(); }

  private:
    struct Frame {
        const Node* container;
        std::uint32_t next;
    };

    static constexpr std::size_t chunkSize = 16384;
    // The longest text one step writes without checking for room again: a number, or the
    // key separator with its neighbours.
    static constexpr std::size_t tokenRoom = 64;

    void flush();
    std::uint8_t* room(std::size_t bytes) {
        if (m_used + bytes > chunkSize) [[unlikely]]
            flush();
        return m_chunk.data() + m_used;
    }
    void put(char byte) {
        *room(1) = std::uint8_t(byte);
        ++m_used;
    }
    void writeScalar(const Node& node);
    void writeKey(const Node& key);
    void writeEscapedUTF8(std::string_view utf8);

    std::vector<std::uint8_t>& m_out;
    std::vector<Frame> m_stack;
    std::size_t m_used{0};
    std::array<std::uint8_t, chunkSize> m_chunk;
};

// The two failures of the writer, with their exact reasons.
[[noreturn]] void raiseTypeException(std::string_view className);
[[noreturn]] void raiseObjectException(const Node& node);

} // namespace torvane
