#include "foundation/Value.h"

#include "foundation/Unicode.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace torvane {

namespace {

// One small arena per built value; the parsers build whole documents into one arena instead.
struct Built {
    std::shared_ptr<Arena> arena = std::make_shared<Arena>(128);
    Node* node = arena->allocateArray<Node>(1);

    Value finish(const Node& contents) {
        *node = contents;
        return {std::move(arena), node};
    }
};

Node numberNode(NumberType type) {
    Node node;
    node.kind = Kind::Number;
    node.numberType = type;
    return node;
}

} // namespace

double Node::asDouble() const {
    if (kind != Kind::Number)
        return 0;
    return numberType == NumberType::Double ? number : double(integer);
}

Value Value::null() {
    static const Node shared{};
    return {nullptr, &shared};
}

Value Value::number(double value) {
    return Built{}.finish(Node::makeDouble(value));
}

Value Value::integer(std::int64_t value) {
    Node node = numberNode(NumberType::Integer);
    node.integer = value;
    return Built{}.finish(node);
}

Value Value::boolean(bool value) {
    return Built{}.finish(Node::makeBoolean(value));
}

Value Value::character(std::int8_t value) {
    Node node = numberNode(NumberType::Character);
    node.integer = value;
    return Built{}.finish(node);
}

static Value textValue(std::string_view text) {
    Built built;
    const char* copy = built.arena->copyArray(text.data(), text.size());
    return built.finish(Node::makeString(copy, std::uint32_t(text.size())));
}

Value Value::string(std::u16string_view units) {
    return textValue(wtf8FromUTF16(units));
}

Value Value::stringFromUTF8(std::string_view utf8) {
    if (!isValidUTF8(utf8))
        return {};
    return textValue(utf8);
}

static Value bytesValue(Kind kind, std::string_view bytes) {
    Built built;
    Node node;
    node.kind = kind;
    node.size = std::uint32_t(bytes.size());
    node.bytes = built.arena->copyArray(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return built.finish(node);
}

Value Value::data(std::string_view bytes) {
    return bytesValue(Kind::Data, bytes);
}

Value Value::fragment(std::string_view serializedJSON) {
    return bytesValue(Kind::Fragment, serializedJSON);
}

Value Value::foreign(std::string_view className, std::string_view description) {
    Built built;
    auto* object = built.arena->allocateArray<ForeignObject>(1);
    const char* name = built.arena->copyArray(className.data(), className.size());
    const char* text = built.arena->copyArray(description.data(), description.size());
    *object = {{name, className.size()}, {text, description.size()}};
    Node node;
    node.kind = Kind::Foreign;
    node.foreign = object;
    return built.finish(node);
}

Value Value::array(std::span<const Value> elements) {
    Built built;
    auto* nodes = built.arena->allocateArray<Node>(elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i) {
        nodes[i] = *elements[i].node();
        built.arena->keepAlive(elements[i].arena());
    }
    return built.finish(Node::makeArray(nodes, std::uint32_t(elements.size())));
}

Value Value::dictionary(std::span<const std::pair<Value, Value>> members) {
    std::vector<Member> unique;
    unique.reserve(members.size());
    Built built;
    for (const auto& [key, value] : members) {
        built.arena->keepAlive(key.arena());
        built.arena->keepAlive(value.arena());
        Member member{*key.node(), *value.node()};
        bool replaced = false;
        if (member.key.kind == Kind::String) {
            for (auto& existing : unique) {
                if (existing.key.kind == Kind::String && existing.key.string() == member.key.string()) {
                    existing.value = member.value;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            unique.push_back(member);
    }
    auto* stored = built.arena->copyArray(unique.data(), unique.size());
    return built.finish(Node::makeDictionary(stored, std::uint32_t(unique.size())));
}

double Value::doubleValue() const {
    return m_node ? m_node->asDouble() : 0;
}

std::int64_t Value::integerValue() const {
    if (!isNumber())
        return 0;
    if (m_node->numberType != NumberType::Double)
        return m_node->integer;
    double value = m_node->number;
    if (std::isnan(value))
        return 0;
    if (value >= 9.2233720368547758e18)
        return INT64_MAX;
    if (value <= -9.2233720368547758e18)
        return INT64_MIN;
    return std::int64_t(value);
}

std::u16string Value::units() const {
    return utf16FromWTF8(text());
}

std::string Value::utf8() const {
    return utf8FromWTF8(text());
}

std::string_view Value::text() const {
    return isString() ? m_node->string() : std::string_view{};
}

std::string_view Value::bytes() const {
    if (!m_node || (m_node->kind != Kind::Data && m_node->kind != Kind::Fragment))
        return {};
    return m_node->byteView();
}

std::string_view Value::className() const {
    if (!m_node)
        return "nil";
    switch (m_node->kind) {
    case Kind::Null:
        return "NSNull";
    case Kind::Number:
        return "NSNumber";
    case Kind::String:
        return "NSString";
    case Kind::Data:
        return "NSData";
    case Kind::Array:
        return "NSArray";
    case Kind::Dictionary:
        return "NSDictionary";
    case Kind::Fragment:
        return "SerializedJSONData";
    case Kind::Foreign:
        return m_node->foreign->className;
    }
    return "";
}

std::string Value::description() const {
    if (!m_node)
        return "(null)";
    switch (m_node->kind) {
    case Kind::Null:
        return "<null>";
    case Kind::Number: {
        if (m_node->numberType != NumberType::Double)
            return std::to_string(m_node->integer);
        char buffer[32];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, m_node->number);
        return {buffer, result.ptr};
    }
    case Kind::String:
        return utf8();
    case Kind::Data:
    case Kind::Fragment:
        return "<" + std::to_string(m_node->size) + " bytes>";
    case Kind::Array:
        return "(" + std::to_string(m_node->size) + " elements)";
    case Kind::Dictionary:
        return "{" + std::to_string(m_node->size) + " members}";
    case Kind::Foreign:
        return std::string(m_node->foreign->description);
    }
    return "";
}

std::size_t Value::count() const {
    if (!m_node || (m_node->kind != Kind::Array && m_node->kind != Kind::Dictionary))
        return 0;
    return m_node->size;
}

Value Value::operator[](std::size_t index) const {
    if (!isArray() || index >= m_node->size)
        return {};
    return child(&m_node->elements[index]);
}

Value Value::keyAt(std::size_t index) const {
    if (!isDictionary() || index >= m_node->size)
        return {};
    return child(&m_node->members[index].key);
}

Value Value::valueAt(std::size_t index) const {
    if (!isDictionary() || index >= m_node->size)
        return {};
    return child(&m_node->members[index].value);
}

Value Value::objectForKey(std::u16string_view key) const {
    return objectForKey(std::string_view(wtf8FromUTF16(key)));
}

Value Value::objectForKey(std::string_view utf8Key) const {
    if (!isDictionary())
        return {};
    for (std::uint32_t i = 0; i < m_node->size; ++i) {
        const Member& member = m_node->members[i];
        if (member.key.kind == Kind::String && member.key.string() == utf8Key)
            return child(&member.value);
    }
    return {};
}

bool nodesEqual(const Node& left, const Node& right) {
    if (left.kind != right.kind)
        return false;
    switch (left.kind) {
    case Kind::Null:
        return true;
    case Kind::Number:
        if ((left.numberType == NumberType::Boolean) != (right.numberType == NumberType::Boolean))
            return false;
        if (left.numberType != NumberType::Double && right.numberType != NumberType::Double)
            return left.integer == right.integer;
        return left.asDouble() == right.asDouble();
    case Kind::String:
        return left.string() == right.string();
    case Kind::Data:
    case Kind::Fragment:
        return left.byteView() == right.byteView();
    case Kind::Foreign:
        return left.foreign->className == right.foreign->className &&
               left.foreign->description == right.foreign->description;
    case Kind::Array:
        if (left.size != right.size)
            return false;
        for (std::uint32_t i = 0; i < left.size; ++i)
            if (!nodesEqual(left.elements[i], right.elements[i]))
                return false;
        return true;
    case Kind::Dictionary:
        if (left.size != right.size)
            return false;
        for (std::uint32_t i = 0; i < left.size; ++i) {
            const Member& member = left.members[i];
            bool found = false;
            for (std::uint32_t j = 0; j < right.size && !found; ++j) {
                const Member& other = right.members[(i + j) % right.size];
                if (nodesEqual(member.key, other.key)) {
                    if (!nodesEqual(member.value, other.value))
                        return false;
                    found = true;
                }
            }
            if (!found)
                return false;
        }
        return true;
    }
    return false;
}

bool operator==(const Value& left, const Value& right) {
    if (!left.m_node || !right.m_node)
        return left.m_node == right.m_node;
    return nodesEqual(*left.m_node, *right.m_node);
}

} // namespace torvane
