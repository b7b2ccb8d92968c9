// The JSON scanner.
//
// Index
//   [SECTION] Errors
//   [SECTION] Encoding check
//   [SECTION] Parser: values, containers, strings, numbers
//   [SECTION] Public scanning methods
//
// All scanning methods run one Parser over the buffer. The parser keeps its cursor in a local
// pointer, puts finished values into one arena per call, builds containers on two scratch
// stacks shared by all nesting levels, and copies each finished container into the arena once.

#include "json/JSONScanner.h"

#include "foundation/Unicode.h"

#include <array>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace torvane {

// MARK: - [SECTION] Errors

namespace {

const char* messageFor(long code) {
    switch (code) {
    case JSONScanner::dictionaryNotStarted:
        return "Could not scan dictionary. Dictionary that does not start with '{' character.";
    case JSONScanner::dictionaryKeyFailed:
        return "Could not scan dictionary. Failed to scan a key.";
    case JSONScanner::dictionaryNoColon:
        return "Could not scan dictionary. Key was not terminated with a ':' character.";
    case JSONScanner::dictionaryValueFailed:
        return "Could not scan dictionary. Failed to scan a value.";
    case JSONScanner::dictionaryNoComma:
        return "Could not scan dictionary. Key value pairs not delimited with a ',' character.";
    case JSONScanner::dictionaryNotTerminated:
        return "Could not scan dictionary. Dictionary not terminated by a '}' character.";
    case JSONScanner::arrayNotStarted:
        return "Could not scan array. Array that does not start with '[' character.";
    case JSONScanner::arrayValueFailed:
        return "Could not scan array. Could not scan a value.";
    case JSONScanner::arrayNoComma:
    case JSONScanner::arrayNotTerminated:
        return "Could not scan array. Array not terminated by a ']' character.";
    case JSONScanner::stringNotStarted:
        return "Could not scan string constant. String not started by a '\"' character.";
    case JSONScanner::stringBadUnicode:
        return "Could not scan string constant. Unicode character could not be decoded.";
    case JSONScanner::stringBadEscape:
        return "Could not scan string constant. Unknown escape code.";
    case JSONScanner::numberNotStarted:
        return "Could not scan number constant.";
    case JSONScanner::nestingTooDeep:
        return "Could not scan value. Arrays and dictionaries nested too deeply.";
    case JSONScanner::stringNotTerminated:
        return "Could not scan string constant. String not terminated by a '\"' character.";
    case JSONScanner::stringNotUTF8:
        return "Could not scan string constant. String is not valid UTF-8.";
    case JSONScanner::dataNotDecodable:
        return "Could not scan data. Data could not be decoded as UTF-16 or UTF-32.";
    }
    return "";
}

} // namespace

Error JSONScanner::makeError(long code) {
    Error error;
    error.domain = errorDomain;
    error.code = code;
    error.userInfo[Error::localizedDescriptionKey] = messageFor(code);
    return error;
}

// MARK: - [SECTION] Encoding check

namespace {

enum class Encoding { UTF8, UTF16BE, UTF16LE, UTF32BE, UTF32LE };

Encoding detectEncoding(const Data& data) {
    if (data.length() < 4)
        return Encoding::UTF8;
    const std::uint8_t* b = data.bytes();
    bool z0 = b[0] == 0, z1 = b[1] == 0, z2 = b[2] == 0, z3 = b[3] == 0;
    if (z0 && z1 && z2 && !z3)
        return Encoding::UTF32BE;
    if (z0 && !z1 && z2 && !z3)
        return Encoding::UTF16BE;
    if (!z0 && z1 && z2 && z3)
        return Encoding::UTF32LE;
    if (!z0 && z1 && !z2 && z3)
        return Encoding::UTF16LE;
    return Encoding::UTF8;
}

// Strict: an odd size, a lone surrogate or a code point past U+10FFFF gives nothing.
std::optional<std::vector<std::uint8_t>> toUTF8(const Data& data, Encoding encoding) {
    const std::uint8_t* b = data.bytes();
    std::size_t size = data.length();
    std::string utf8;
    utf8.reserve(size);
    if (encoding == Encoding::UTF16BE || encoding == Encoding::UTF16LE) {
        if (size % 2 != 0)
            return std::nullopt;
        bool big = encoding == Encoding::UTF16BE;
        auto unitAt = [&](std::size_t i) {
            return char16_t(big ? (b[i] << 8 | b[i + 1]) : (b[i + 1] << 8 | b[i]));
        };
        for (std::size_t i = 0; i < size; i += 2) {
            char16_t unit = unitAt(i);
            char32_t codePoint = unit;
            if (isHighSurrogate(unit)) {
                if (i + 2 >= size || !isLowSurrogate(unitAt(i + 2)))
                    return std::nullopt;
                i += 2;
                codePoint = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (unitAt(i) - 0xDC00);
            } else if (isLowSurrogate(unit)) {
                return std::nullopt;
            }
            appendUTF8(codePoint, utf8);
        }
    } else {
        if (size % 4 != 0)
            return std::nullopt;
        bool big = encoding == Encoding::UTF32BE;
        for (std::size_t i = 0; i < size; i += 4) {
            char32_t codePoint = big ? (char32_t(b[i]) << 24 | b[i + 1] << 16 | b[i + 2] << 8 | b[i + 3])
                                     : (char32_t(b[i + 3]) << 24 | b[i + 2] << 16 | b[i + 1] << 8 | b[i]);
            if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
                return std::nullopt;
            appendUTF8(codePoint, utf8);
        }
    }
    return std::vector<std::uint8_t>(utf8.begin(), utf8.end());
}

} // namespace

JSONScanner JSONScanner::scannerWithData(const Data& data) {
    JSONScanner scanner;
    scanner.setData(data);
    return scanner;
}

void JSONScanner::setData(const Data& data) {
    if (data.isSameBuffer(m_original))
        return;
    m_original = data;
    m_undecodable = false;
    Encoding encoding = detectEncoding(data);
    if (encoding == Encoding::UTF8) {
        DataScanner::setData(data);
        return;
    }
    auto converted = toUTF8(data, encoding);
    m_undecodable = !converted;
    DataScanner::setData(converted ? Data::adopt(std::move(*converted)) : Data());
}

// MARK: - [SECTION] Parser: values, containers, strings, numbers

namespace {

// Bytes that end a run of plain string text: the quotation mark, the backslash, and every byte
// from 0x80 on (the start of a sequence that needs decoding).
constexpr std::array<bool, 256> makeStringStops() {
    std::array<bool, 256> table{};
    for (int byte = 0x80; byte < 256; ++byte)
        table[byte] = true;
    table['"'] = table['\\'] = true;
    return table;
}
constexpr auto stringStops = makeStringStops();

constexpr std::array<bool, 256> makeNumberCharacters() {
    std::array<bool, 256> table{};
    for (char c : std::string_view("0123456789eE-.+"))
        table[std::uint8_t(c)] = true;
    return table;
}
constexpr auto numberCharacters = makeNumberCharacters();

constexpr std::uint64_t repeatByte(std::uint8_t byte) {
    return 0x0101010101010101ull * byte;
}

// Whether any of the eight bytes in `word` ends a run of plain text.
inline bool hasStringStop(std::uint64_t word) {
    auto hasZero = [](std::uint64_t x) { return (x - repeatByte(1)) & ~x & repeatByte(0x80); };
    return ((word & repeatByte(0x80)) | hasZero(word ^ repeatByte('"')) | hasZero(word ^ repeatByte('\\'))) !=
           0;
}

// The end of the run of ASCII bytes that are neither quotation mark nor backslash.
inline const std::uint8_t* plainRunEnd(const std::uint8_t* p, const std::uint8_t* end) {
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (hasStringStop(word))
            break;
        p += 8;
    }
    while (p < end && !stringStops[*p])
        ++p;
    return p;
}

inline void widenASCII(const std::uint8_t* source, std::size_t size, char16_t* target) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= size; i += 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i + 8), _mm_unpackhi_epi8(bytes, zero));
    }
#endif
    for (; i < size; ++i)
        target[i] = source[i];
}

// Decodes one strict UTF-8 sequence that starts with a byte from 0x80 on; 0 when it is not valid.
inline std::size_t decodeSequence(const std::uint8_t* p, const std::uint8_t* end, char32_t& codePoint) {
    std::uint8_t lead = p[0];
    std::size_t available = std::size_t(end - p);
    auto continuation = [](std::uint8_t byte) { return (byte & 0xC0) == 0x80; };
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (available < 2 || !continuation(p[1]))
            return 0;
        codePoint = char32_t(lead & 0x1F) << 6 | (p[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (available < 3 || !continuation(p[1]) || !continuation(p[2]))
            return 0;
        if ((lead == 0xE0 && p[1] < 0xA0) || (lead == 0xED && p[1] > 0x9F))
            return 0;
        codePoint = char32_t(lead & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (available < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3]))
            return 0;
        if ((lead == 0xF0 && p[1] < 0x90) || (lead == 0xF4 && p[1] > 0x8F))
            return 0;
        codePoint = char32_t(lead & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 |
                    (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

int hexDigit(std::uint8_t byte) {
    if (byte >= '0' && byte <= '9')
        return byte - '0';
    if (byte >= 'a' && byte <= 'f')
        return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F')
        return byte - 'A' + 10;
    return -1;
}

// An entry of a dictionary under construction whose value scan gave no value: it removes any
// earlier entry under its key. It never leaves the parser.
inline Node removalMark() {
    Node node;
    node.kind = Kind::Foreign;
    node.foreign = nullptr;
    return node;
}
inline bool isRemovalMark(const Node& node) {
    return node.kind == Kind::Foreign && node.foreign == nullptr;
}

} // namespace

class JSONScanner::Parser {
  public:
    explicit Parser(JSONScanner& scanner)
        : m_scanner(scanner), p(scanner.m_current), m_end(scanner.m_end),
          m_arena(std::make_shared<Arena>(firstBlockBytes)) {}

    // Every method returns false on failure, with the failure's code in `code` and the cursor
    // back where the Parts say; `has` tells a success with a value from one without.
    bool value(Node& out, bool& has, unsigned depth) {
        skipWhitespace();
        has = true;
        switch (current()) {
        case '{':
            return dictionary(out, depth + 1);
        case '[':
            return array(out, depth + 1);
        case '"':
        case '\'':
            return string(out);
        case '-':
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7':
        case '8':
        case '9':
            return number(out);
        case 't':
            if (takeWord("true", 4)) {
                out = Node::makeBoolean(true);
                return true;
            }
            break;
        case 'f':
            if (takeWord("false", 5)) {
                out = Node::makeBoolean(false);
                return true;
            }
            break;
        case 'n':
            if (takeWord("null", 4)) {
                out = Node{};
                return true;
            }
            break;
        }
        has = false;
        return true;
    }

    bool dictionary(Node& out, unsigned depth) {
        const std::uint8_t* start = p;
        if (current() != '{')
            return fail(dictionaryNotStarted, start);
        if (depth > maximumNestingDepth)
            return fail(nestingTooDeep, start);
        ++p;
        std::size_t base = m_members.size();
        bool removals = false;
        for (;;) {
            if (current() == '}')
                break;
            skipWhitespace();
            if (current() == '}')
                break;
            Node key;
            if (!string(key))
                return failContainer(dictionaryKeyFailed, start, base);
            skipWhitespace();
            if (current() != ':')
                return failContainer(dictionaryNoColon, start, base);
            ++p;
            Node element;
            bool has = false;
            if (!value(element, has, depth))
                return failContainer(dictionaryValueFailed, start, base);
            if (!has) {
                element = removalMark();
                removals = true;
            }
            m_members.push_back({key, element});
            skipWhitespace();
            if (current() == ',') {
                ++p;
                skipWhitespace();
                if (current() == '}')
                    break;
            } else if (current() == '}') {
                break;
            } else {
                return failContainer(dictionaryNoComma, start, base);
            }
        }
        ++p; // the '}' that ended the loop
        out = finishDictionary(base, removals);
        return true;
    }

    bool array(Node& out, unsigned depth) {
        const std::uint8_t* start = p;
        if (current() != '[')
            return fail(arrayNotStarted, start);
        if (depth > maximumNestingDepth)
            return fail(nestingTooDeep, start);
        ++p;
        std::size_t base = m_elements.size();
        skipWhitespace();
        for (;;) {
            if (current() == ']')
                break;
            Node element;
            bool has = false;
            // An array has no empty slots: an element that gives no value fails like a bad one.
            if (!value(element, has, depth) || !has)
                return failContainer(arrayValueFailed, start, base, true);
            m_elements.push_back(element);
            skipWhitespace();
            bool comma = current() == ',';
            if (comma)
                ++p;
            skipWhitespace();
            if (comma)
                continue;
            if (current() != ']')
                return failContainer(arrayNoComma, start, base, true);
            break;
        }
        ++p; // the ']' that ended the loop
        std::size_t count = m_elements.size() - base;
        const Node* stored = m_arena->copyArray(m_elements.data() + base, count);
        m_elements.resize(base);
        out = Node::makeArray(stored, std::uint32_t(count));
        return true;
    }

    bool string(Node& out) {
        const std::uint8_t* start = p;
        skipWhitespace();
        if (current() != '"')
            return fail(stringNotStarted, start);
        ++p;
        // Most strings are plain ASCII without escapes: widen them straight into the arena.
        const std::uint8_t* run = plainRunEnd(p, m_end);
        if (run < m_end && *run == '"') {
            std::size_t size = std::size_t(run - p);
            char16_t* units = m_arena->allocateArray<char16_t>(size);
            widenASCII(p, size, units);
            out = Node::makeString(units, std::uint32_t(size));
            p = run + 1;
            return true;
        }
        m_text.clear();
        for (;;) {
            if (!appendRun())
                return fail(stringNotUTF8, start);
            if (current() == '\\') {
                ++p;
                long code = appendEscape();
                if (code != 0)
                    return fail(code, start);
            }
            if (current() == '"') {
                ++p;
                break;
            }
            if (p >= m_end)
                return fail(stringNotTerminated, start);
        }
        char16_t* units = m_arena->copyArray(m_text.data(), m_text.size());
        out = Node::makeString(units, std::uint32_t(m_text.size()));
        return true;
    }

    bool number(Node& out) {
        const std::uint8_t* run = p;
        if (m_scanner.hasDefaultDoubleCharacters()) {
            while (run < m_end && numberCharacters[*run])
                ++run;
        } else {
            while (run < m_end && m_scanner.doubleCharacters().contains(*run))
                ++run;
        }
        if (run == p)
            return fail(numberNotStarted, p);
        out = Node::makeDouble(numeralValue(p, std::size_t(run - p)));
        p = run;
        return true;
    }

    // Hands the result to the caller and the cursor back to the scanner.
    bool finish(bool succeeded, bool has, const Node& node, Value* out, Error* error) {
        m_scanner.m_current = p;
        if (!succeeded) {
            if (error)
                *error = makeError(code);
            return false;
        }
        if (out && has) {
            Node* root = m_arena->allocateArray<Node>(1);
            *root = node;
            *out = Value(std::move(m_arena), root);
        }
        return true;
    }

    long code{0};

  private:
    // The arena starts small and grows in chunks with the tree: a value read from the front of a
    // large buffer must not hold memory in proportion to the buffer.
    static constexpr std::size_t firstBlockBytes = 1024;

    std::uint8_t current() const { return p < m_end ? *p : 0; }

    void skipWhitespace() {
        while (p < m_end && isWhitespace(*p)) {
            ++p;
            // Indentation comes in long runs of spaces: take them eight at a time.
            while (m_end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                if (word != repeatByte(' '))
                    break;
                p += 8;
            }
        }
    }

    bool takeWord(const char* word, std::size_t size) {
        if (std::size_t(m_end - p) < size || std::memcmp(p, word, size) != 0)
            return false;
        p += size;
        return true;
    }

    bool fail(long failure, const std::uint8_t* start) {
        // The nesting limit describes the whole document, so no container overwrites it.
        if (code != nestingTooDeep)
            code = failure;
        p = start;
        return false;
    }

    bool failContainer(long failure, const std::uint8_t* start, std::size_t base, bool isArray = false) {
        if (isArray)
            m_elements.resize(base);
        else
            m_members.resize(base);
        return fail(failure, start);
    }

    // Appends the bytes up to the next quotation mark, backslash or the end; false when they
    // are not UTF-8.
    bool appendRun() {
        for (;;) {
            const std::uint8_t* run = plainRunEnd(p, m_end);
            std::size_t size = std::size_t(run - p);
            std::size_t old = m_text.size();
            m_text.resize(old + size);
            widenASCII(p, size, m_text.data() + old);
            p = run;
            if (p >= m_end || *p < 0x80)
                return true;
            char32_t codePoint = 0;
            std::size_t length = decodeSequence(p, m_end, codePoint);
            if (length == 0)
                return false;
            p += length;
            if (codePoint < 0x10000) {
                m_text.push_back(char16_t(codePoint));
            } else {
                codePoint -= 0x10000;
                m_text.push_back(char16_t(0xD800 + (codePoint >> 10)));
                m_text.push_back(char16_t(0xDC00 + (codePoint & 0x3FF)));
            }
        }
    }

    // After a backslash: appends the escaped unit; 0, or the failure's code.
    long appendEscape() {
        std::uint8_t escape = current();
        if (p < m_end)
            ++p;
        switch (escape) {
        case '"':
        case '/':
        case '\\':
            m_text.push_back(escape);
            return 0;
        case 'b':
            m_text.push_back(0x08);
            return 0;
        case 'f':
            m_text.push_back(0x0C);
            return 0;
        case 'n':
            m_text.push_back(0x0A);
            return 0;
        case 'r':
            m_text.push_back(0x0D);
            return 0;
        case 't':
            m_text.push_back(0x09);
            return 0;
        case 'u': {
            unsigned unit = 0;
            for (int i = 0; i < 4; ++i) {
                int digit = hexDigit(current());
                if (p < m_end)
                    ++p;
                if (digit < 0)
                    return stringBadUnicode;
                unit = unit << 4 | unsigned(digit);
            }
            m_text.push_back(char16_t(unit));
            return 0;
        }
        }
        return stringBadEscape;
    }

    Node finishDictionary(std::size_t base, bool removals) {
        std::size_t count = m_members.size() - base;
        Member* first = m_members.data() + base;
        if (removals || hasDuplicateKeys(first, count))
            count = applyInOrder(first, count);
        const Member* stored = m_arena->copyArray(first, count);
        m_members.resize(base);
        return Node::makeDictionary(stored, std::uint32_t(count));
    }

    bool hasDuplicateKeys(const Member* members, std::size_t count) {
        if (count <= 16) {
            for (std::size_t i = 1; i < count; ++i)
                for (std::size_t j = 0; j < i; ++j)
                    if (members[i].key.size == members[j].key.size &&
                        members[i].key.string() == members[j].key.string())
                        return true;
            return false;
        }
        // An open-addressed table of member indexes, reused by every large dictionary, so
        // that checking allocates nothing per key.
        std::size_t capacity = 64;
        while (capacity < count * 2)
            capacity *= 2;
        m_slots.assign(capacity, 0);
        for (std::size_t i = 0; i < count; ++i) {
            std::u16string_view key = members[i].key.string();
            std::size_t slot = hashKey(key) & (capacity - 1);
            while (m_slots[slot] != 0) {
                if (members[m_slots[slot] - 1].key.string() == key)
                    return true;
                slot = (slot + 1) & (capacity - 1);
            }
            m_slots[slot] = std::uint32_t(i + 1);
        }
        return false;
    }

    static std::size_t hashKey(std::u16string_view key) {
        std::uint64_t hash = 0xcbf29ce484222325ull;
        for (char16_t unit : key)
            hash = (hash ^ unit) * 0x100000001b3ull;
        return std::size_t(hash ^ (hash >> 29));
    }

    // Replays the pairs as the platform's key-value setter would take them: a later value
    // replaces an earlier one in its place, a removal mark drops the entry. Returns the count
    // left at the front of `members`. Only dictionaries with repeated keys come here.
    std::size_t applyInOrder(Member* members, std::size_t count) {
        std::unordered_map<std::u16string_view, std::size_t> live;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Member pair = members[i];
            auto entry = live.find(pair.key.string());
            if (isRemovalMark(pair.value)) {
                if (entry != live.end()) {
                    members[entry->second].value = removalMark();
                    live.erase(entry);
                }
            } else if (entry != live.end()) {
                members[entry->second].value = pair.value;
            } else {
                live.emplace(pair.key.string(), kept);
                members[kept++] = pair;
            }
        }
        std::size_t compacted = 0;
        for (std::size_t i = 0; i < kept; ++i)
            if (!isRemovalMark(members[i].value))
                members[compacted++] = members[i];
        return compacted;
    }

    JSONScanner& m_scanner;
    const std::uint8_t* p;
    const std::uint8_t* m_end;
    std::shared_ptr<Arena> m_arena;
    std::vector<Node> m_elements;
    std::vector<Member> m_members;
    std::vector<char16_t> m_text;
    std::vector<std::uint32_t> m_slots; // index + 1; 0 is free
};

// MARK: - [SECTION] Public scanning methods

bool JSONScanner::scan(Start start, Value* out, Error* error) {
    Parser parser(*this);
    if (m_undecodable) {
        parser.code = dataNotDecodable;
        return parser.finish(false, false, {}, out, error);
    }
    Node node;
    bool has = true;
    bool succeeded = false;
    switch (start) {
    case Start::Object:
        succeeded = parser.value(node, has, 0);
        break;
    case Start::Dictionary:
        succeeded = parser.dictionary(node, 1);
        break;
    case Start::Array:
        succeeded = parser.array(node, 1);
        break;
    case Start::String:
        succeeded = parser.string(node);
        break;
    case Start::Number:
        succeeded = parser.number(node);
        break;
    }
    return parser.finish(succeeded, has, node, out, error);
}

bool JSONScanner::scanJSONObject(Value* out, Error* error) {
    if (out)
        *out = Value();
    return scan(Start::Object, out, error);
}

bool JSONScanner::scanJSONDictionary(Value* out, Error* error) {
    return scan(Start::Dictionary, out, error);
}

bool JSONScanner::scanJSONArray(Value* out, Error* error) {
    return scan(Start::Array, out, error);
}

bool JSONScanner::scanJSONStringConstant(Value* out, Error* error) {
    return scan(Start::String, out, error);
}

bool JSONScanner::scanJSONNumberConstant(Value* out, Error* error) {
    return scan(Start::Number, out, error);
}

bool JSONScanner::scanNotQuoteCharactersIntoString(Value* out) {
    if (m_current >= m_end)
        return false;
    const std::uint8_t* run = m_current;
    while (run < m_end && *run != '"' && *run != '\\')
        ++run;
    if (run == m_current)
        return false;
    if (out)
        *out =
            Value::stringFromUTF8({reinterpret_cast<const char*>(m_current), std::size_t(run - m_current)});
    m_current = run;
    return true;
}

} // namespace torvane
