#pragma once

// The immutable values that stand in for the platform's Foundation objects: null, numbers (with
// their stored type), strings, byte data, arrays and dictionaries, plus two
// kinds that only the JSON writer knows: a pre-serialized fragment and a foreign object (any other
// class, such as a date), which exists so that the writer can refuse it by class name.
//
// Two types, one job each:
//   Node  - the plain, trivially copyable record of one value inside an arena. Trees of nodes
//           point at each other with plain pointers; the arena owns them all.
//   Value - a handle: a node plus shared ownership of the arena that holds it. This is what the
//           library hands out where the platform hands out objects "not owned by the caller".
//
// A default-constructed Value is "none" (the platform's nil): no value at all. Value::null() is
// the one shared null instance (the platform's NSNull).
//
// Strings are sequences of UTF-16 code units, as the platform's are, and may hold lone surrogates.
// A node keeps them as UTF-8 (WTF-8 for lone surrogates, see Unicode.h), which is what JSON texts
// and most callers speak and what readers and writers copy without converting; equal units are
// equal bytes.
//
// Dictionaries keep their members in the order in which their keys were first inserted; a key
// whose value is replaced keeps its place. Lookup compares keys as text.

#include "foundation/Arena.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace torvane {

enum class Kind : std::uint8_t { Null, Number, String, Data, Array, Dictionary, Fragment, Foreign };

// The stored type of a number. Boolean and Character are both the platform's one-byte type; a
// Boolean is a Character made from true or false.
enum class NumberType : std::uint8_t { Double, Integer, Boolean, Character };

struct Member;
struct ForeignObject {
    std::string_view className;
    std::string_view description;
};

struct Node {
    Kind kind{Kind::Null};
    NumberType numberType{NumberType::Double};
    std::uint32_t size{0}; // bytes of text or data, elements or members
    union {
        double number{0};
        std::int64_t integer;
        const char* text;
        const std::uint8_t* bytes;
        const Node* elements;
        const Member* members;
        const ForeignObject* foreign;
    };

    [[nodiscard]] static Node makeDouble(double value) {
        Node node;
        node.kind = Kind::Number;
        node.number = value;
        return node;
    }
    [[nodiscard]] static Node makeBoolean(bool value) {
        Node node;
        node.kind = Kind::Number;
        node.numberType = NumberType::Boolean;
        node.integer = value ? 1 : 0;
        return node;
    }
    [[nodiscard]] static Node makeString(const char* text, std::uint32_t size) {
        Node node;
        node.kind = Kind::String;
        node.size = size;
        node.text = text;
        return node;
    }
    [[nodiscard]] static Node makeArray(const Node* elements, std::uint32_t size) {
        Node node;
        node.kind = Kind::Array;
        node.size = size;
        node.elements = elements;
        return node;
    }
    [[nodiscard]] static Node makeDictionary(const Member* members, std::uint32_t size) {
        Node node;
        node.kind = Kind::Dictionary;
        node.size = size;
        node.members = members;
        return node;
    }

    [[nodiscard]] std::string_view string() const { return {text, size}; }
    [[nodiscard]] std::string_view byteView() const { return {reinterpret_cast<const char*>(bytes), size}; }
    [[nodiscard]] bool isBooleanOrCharacter() const {
        return numberType == NumberType::Boolean || numberType == NumberType::Character;
    }
    [[nodiscard]] double asDouble() const;
};

struct Member {
    Node key;
    Node value;
};

// The largest number of bytes, elements or members one node can hold.
inline constexpr std::size_t maximumNodeSize = UINT32_MAX;

class Value {
  public:
    Value() = default;
    Value(std::shared_ptr<const Arena> arena, const Node* node) : m_arena(std::move(arena)), m_node(node) {}

    [[nodiscard]] static Value null();
    [[nodiscard]] static Value number(double value);
    [[nodiscard]] static Value integer(std::int64_t value);
    [[nodiscard]] static Value boolean(bool value);
    [[nodiscard]] static Value character(std::int8_t value);
    [[nodiscard]] static Value string(std::u16string_view units);
    // None when the bytes are not UTF-8.
    [[nodiscard]] static Value stringFromUTF8(std::string_view utf8);
    [[nodiscard]] static Value data(std::string_view bytes);
    [[nodiscard]] static Value fragment(std::string_view serializedJSON);
    [[nodiscard]] static Value foreign(std::string_view className, std::string_view description);
    // Elements and keys must not be none.
    [[nodiscard]] static Value array(std::span<const Value> elements);
    [[nodiscard]] static Value array(std::initializer_list<Value> elements) {
        return array(std::span(elements.begin(), elements.size()));
    }
    // Later pairs with an equal string key replace earlier ones, as the platform's setter does.
    [[nodiscard]] static Value dictionary(std::span<const std::pair<Value, Value>> members);
    [[nodiscard]] static Value dictionary(std::initializer_list<std::pair<Value, Value>> members) {
        return dictionary(std::span(members.begin(), members.size()));
    }

    [[nodiscard]] explicit operator bool() const { return m_node != nullptr; }
    [[nodiscard]] bool isNone() const { return m_node == nullptr; }
    [[nodiscard]] Kind kind() const { return m_node ? m_node->kind : Kind::Null; }
    [[nodiscard]] bool isNull() const { return m_node && m_node->kind == Kind::Null; }
    [[nodiscard]] bool isNumber() const { return m_node && m_node->kind == Kind::Number; }
    [[nodiscard]] bool isBoolean() const { return isNumber() && m_node->numberType == NumberType::Boolean; }
    [[nodiscard]] bool isString() const { return m_node && m_node->kind == Kind::String; }
    [[nodiscard]] bool isArray() const { return m_node && m_node->kind == Kind::Array; }
    [[nodiscard]] bool isDictionary() const { return m_node && m_node->kind == Kind::Dictionary; }

    // Numbers. A value of another kind reads as 0.
    [[nodiscard]] NumberType numberType() const { return m_node ? m_node->numberType : NumberType::Double; }
    [[nodiscard]] double doubleValue() const;
    [[nodiscard]] std::int64_t integerValue() const;
    [[nodiscard]] bool boolValue() const { return doubleValue() != 0; }

    // Strings (empty for other kinds): the code units; UTF-8 with each lone surrogate as U+FFFD;
    // or the text as it is kept, without a copy (WTF-8).
    [[nodiscard]] std::u16string units() const;
    [[nodiscard]] std::string utf8() const;
    [[nodiscard]] std::string_view text() const;
    // Data and fragments: their bytes.
    [[nodiscard]] std::string_view bytes() const;
    // Foreign objects: their class name; other kinds: the platform class name they stand for.
    [[nodiscard]] std::string_view className() const;
    // A short, human text for messages ("Could not serialize object '...'").
    [[nodiscard]] std::string description() const;

    // Arrays and dictionaries: number of elements or members (0 for other kinds).
    [[nodiscard]] std::size_t count() const;
    [[nodiscard]] Value operator[](std::size_t index) const;
    [[nodiscard]] Value keyAt(std::size_t index) const;
    [[nodiscard]] Value valueAt(std::size_t index) const;
    // None when the key is absent or this is not a dictionary.
    [[nodiscard]] Value objectForKey(std::u16string_view key) const;
    [[nodiscard]] Value objectForKey(std::string_view utf8Key) const;

    [[nodiscard]] const Node* node() const { return m_node; }
    [[nodiscard]] const std::shared_ptr<const Arena>& arena() const { return m_arena; }
    // The same object, not merely an equal one.
    [[nodiscard]] bool isIdenticalTo(const Value& other) const { return m_node == other.m_node; }

    // Deep equality: same kinds and contents; numbers by numeric value (NaN equals nothing) with
    // booleans apart from other numbers; dictionaries regardless of member order.
    friend bool operator==(const Value& left, const Value& right);

  private:
    [[nodiscard]] Value child(const Node* node) const { return {m_arena, node}; }

    std::shared_ptr<const Arena> m_arena;
    const Node* m_node{nullptr};
};

bool nodesEqual(const Node& left, const Node& right);

} // namespace torvane
