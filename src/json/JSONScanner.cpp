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
// Strings are decoded straight into the arena; keys are kept once per document in a table,
// which also finds repeated keys.

#include "json/JSONScanner.h"

#include "json/ByteRuns.h"

#include "foundation/Unicode.h"

#include <fast_float/fast_float.h>

#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

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
    // One bit per leading byte that is zero, the first byte highest.
    const std::uint8_t* bytes = data.bytes();
    unsigned zeros = 0;
    for (int i = 0; i < 4; ++i)
        zeros = zeros << 1 | unsigned(bytes[i] == 0);
    if (zeros == 0b1110)
        return Encoding::UTF32BE;
    if (zeros == 0b1010)
        return Encoding::UTF16BE;
    if (zeros == 0b0111)
        return Encoding::UTF32LE;
    if (zeros == 0b0101)
        return Encoding::UTF16LE;
    return Encoding::UTF8;
}

// Strict: an odd size, a lone surrogate or a code point past U+10FFFF gives nothing.
std::optional<std::vector<std::uint8_t>> toUTF8(const Data& data, Encoding encoding) {
    const std::uint8_t* bytes = data.bytes();
    std::size_t size = data.length();
    std::string utf8;
    utf8.reserve(size);
    if (encoding == Encoding::UTF16BE || encoding == Encoding::UTF16LE) {
        if (size % 2 != 0)
            return std::nullopt;
        bool big = encoding == Encoding::UTF16BE;
        auto unitAt = [&](std::size_t offset) {
            return char16_t(big ? (bytes[offset] << 8 | bytes[offset + 1])
                                : (bytes[offset + 1] << 8 | bytes[offset]));
        };
        for (std::size_t i = 0; i < size; i += 2) {
            char16_t unit = unitAt(i);
            char32_t codePoint = unit;
            if (isHighSurrogate(unit)) {
                if (i + 2 >= size || !isLowSurrogate(unitAt(i + 2)))
                    return std::nullopt;
                i += 2;
                codePoint = codePointOfPair(unit, unitAt(i));
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
            char32_t codePoint =
                big ? (char32_t(bytes[i]) << 24 | bytes[i + 1] << 16 | bytes[i + 2] << 8 | bytes[i + 3])
                    : (char32_t(bytes[i + 3]) << 24 | bytes[i + 2] << 16 | bytes[i + 1] << 8 | bytes[i]);
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

constexpr std::array<bool, 256> makeNumberCharacters() {
    std::array<bool, 256> table{};
    for (char c : std::string_view("0123456789eE-.+"))
        table[std::uint8_t(c)] = true;
    return table;
}
constexpr auto numberCharacters = makeNumberCharacters();

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

// The first byte lowest on any byte order: one load where the order is little-endian.
inline std::uint64_t littleEndianWord(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= std::uint64_t(bytes[i]) << (8 * i);
    return value;
}

// The keys of one document, each kept once: documents repeat a few dozen keys thousands of times,
// and a shared key costs neither its bytes again nor the time to copy them. A shared key has one
// entry and one copy, so a dictionary tells its keys apart by entry (see Parser::dictionary).
class KeyTable {
  public:
    static constexpr std::uint32_t noEntry = UINT32_MAX;
    struct Entry {
        const std::uint8_t* bytes{nullptr}; // the key's text in the buffer, which outlives the scan
        const char* text{nullptr};          // the key's copy in the arena, once it has one
        std::uint64_t head{0};              // the first eight bytes, as headWord() reads them
        std::uint32_t size{0};
        // The key that last came after this one in a dictionary.
        std::uint32_t next{noEntry};
    };

    // The index of the entry of a plain ASCII key, added when new; noEntry when the table is full.
    // The key is followed by its closing quotation mark, at most at `end` - 1. Records repeat their
    // keys in the same order, so the caller's guess `expected` (or noEntry) is tried first: when
    // it holds, the key costs neither its hash nor a look at the slots.
    std::uint32_t find(const std::uint8_t* bytes, std::uint32_t size, const std::uint8_t* end,
                       std::uint32_t expected) {
        std::uint64_t head = headWord(bytes, size, end);
        if (expected != noEntry) {
            const Entry& entry = m_entries[expected];
            if (entry.head == head && entry.size == size &&
                (size <= 8 || sameBytes(entry.bytes + 8, bytes + 8, size - 8)))
                return expected;
        }
        return find(bytes, size, head);
    }

    Entry& operator[](std::uint32_t index) { return m_entries[index]; }

  private:
    std::uint32_t find(const std::uint8_t* bytes, std::uint32_t size, std::uint64_t head) {
        if (m_slots.empty())
            m_slots.assign(initialSlots, 0);
        std::uint64_t keyHash = hash(head, bytes, size);
        auto tag = std::uint32_t(keyHash >> 32);
        std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = keyHash & mask;; slot = (slot + 1) & mask) {
            std::uint64_t occupant = m_slots[slot];
            if (occupant == 0) {
                if (m_entries.size() >= maximumKeys)
                    return noEntry;
                if ((m_entries.size() + 1) * 2 > m_slots.size()) {
                    grow();
                    return find(bytes, size, head);
                }
                auto index = std::uint32_t(m_entries.size());
                Entry& entry = m_entries.emplace_back();
                entry.bytes = bytes;
                entry.head = head;
                entry.size = size;
                m_slots[slot] = slotFor(tag, index);
                return index;
            }
            if (std::uint32_t(occupant >> 32) != tag)
                continue;
            auto index = std::uint32_t(occupant) - 1;
            const Entry& entry = m_entries[index];
            if (entry.head == head && entry.size == size &&
                (size <= 8 || sameBytes(entry.bytes + 8, bytes + 8, size - 8)))
                return index;
        }
    }

    static constexpr std::size_t initialSlots = 256;
    // Past this many different keys the document is not made of records; new keys then go
    // unshared rather than growing the table without end.
    static constexpr std::size_t maximumKeys = 16384;

    // A slot holds the high half of its key's hash, which settles most mismatches without a look
    // at the entry, and the entry's index plus one; 0 is empty.
    static std::uint64_t slotFor(std::uint32_t tag, std::uint32_t index) {
        return std::uint64_t(tag) << 32 | (index + 1);
    }

    // Up to eight bytes of the key, zero past its end. Most keys are shorter than a word; one
    // load and a mask read them wherever the buffer goes on for a word.
    static std::uint64_t headWord(const std::uint8_t* bytes, std::uint32_t size, const std::uint8_t* end) {
        if (size >= 8)
            return littleEndianWord(bytes);
        if (end - bytes >= 8)
            return littleEndianWord(bytes) & ((std::uint64_t(1) << (8 * size)) - 1);
        std::uint64_t value = 0;
        for (std::uint32_t i = 0; i < size; ++i)
            value |= std::uint64_t(bytes[i]) << (8 * i);
        return value;
    }

    // Keys are short: word compares, without a call.
    static bool sameBytes(const std::uint8_t* left, const std::uint8_t* right, std::uint32_t size) {
        for (; size >= 8; size -= 8, left += 8, right += 8)
            if (littleEndianWord(left) != littleEndianWord(right))
                return false;
        for (; size > 0; --size)
            if (*left++ != *right++)
                return false;
        return true;
    }

    static std::uint64_t hash(std::uint64_t head, const std::uint8_t* bytes, std::uint32_t size) {
        std::uint64_t tail = size > 8 ? littleEndianWord(bytes + size - 8) : 0;
        std::uint64_t mixed = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ size) * 0xFF51AFD7ED558CCDull;
        return mixed ^ (mixed >> 32);
    }

    void grow() {
        std::vector<std::uint64_t> slots(m_slots.size() * 2, 0);
        std::size_t mask = slots.size() - 1;
        for (std::uint32_t index = 0; index < m_entries.size(); ++index) {
            const Entry& entry = m_entries[index];
            std::uint64_t keyHash = hash(entry.head, entry.bytes, entry.size);
            std::size_t slot = keyHash & mask;
            while (slots[slot] != 0)
                slot = (slot + 1) & mask;
            slots[slot] = slotFor(std::uint32_t(keyHash >> 32), index);
        }
        m_slots.swap(slots);
    }

    std::vector<std::uint64_t> m_slots;
    // In the order the keys first appear, so the keys of one record lie together; indices stay
    // valid as the table grows.
    std::vector<Entry> m_entries;
};

} // namespace

class JSONScanner::Parser {
  public:
    explicit Parser(JSONScanner& scanner)
        : m_scanner(scanner), m_cursor(scanner.m_current), m_end(scanner.m_end),
          m_arena(std::make_shared<Arena>(firstBlockBytes)) {}

    // Every method returns its node by value, which comes back in registers: a node written to
    // memory field by field and then copied whole would wait for the stores to drain (a failed
    // store forward), once per element. A failure gives a node of the kind `failedKind`, with
    // the failure's code in `code` and the cursor back where the failing scan began; value()
    // gives one of the kind `noValueKind` where the text begins no value. value(), string() and
    // number() are inlined into the container loops, so that a scalar's node goes from
    // registers onto the element stack.
    [[gnu::always_inline]] Node value(unsigned depth) {
        skipWhitespace();
        switch (current()) {
        case '{':
            return dictionary(depth + 1);
        case '[':
            return array(depth + 1);
        case '"':
        case '\'':
            return string();
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
            return number();
        case 't':
            if (takeWord("true", 4))
                return Node::makeBoolean(true);
            break;
        case 'f':
            if (takeWord("false", 5))
                return Node::makeBoolean(false);
            break;
        case 'n':
            if (takeWord("null", 4))
                return Node{};
            break;
        }
        return marked(noValueKind);
    }

    Node dictionary(unsigned depth) {
        const std::uint8_t* start = m_cursor;
        if (current() != '{')
            return fail(dictionaryNotStarted, start);
        if (depth > maximumNestingDepth)
            return fail(nestingTooDeep, start);
        ++m_cursor;
        std::size_t base = m_members.size();
        if (m_firstKeys.size() <= depth)
            m_firstKeys.resize(depth + 1, KeyTable::noEntry);
        // Set when a key may repeat or a value is missing: the pairs must then be replayed in order.
        bool replay = false;
        // One bit for each shared key read, by its entry modulo 64. Keys of a record have
        // neighbouring entries, so a bit already set is rare and only then are the keys compared.
        std::uint64_t seen = 0;
        std::uint32_t previous = KeyTable::noEntry; // the latest key, when shared
        for (;;) {
            if (current() == '}')
                break;
            skipWhitespace();
            if (current() == '}')
                break;
            std::uint32_t entry = previous == KeyTable::noEntry ? m_firstKeys[depth] : m_keys[previous].next;
            Node key = string(&entry);
            if (isFailure(key))
                return failContainer(dictionaryKeyFailed, start, base);
            // A key outside the table may equal any other, and only a replay compares them all.
            if (entry == KeyTable::noEntry) {
                replay = true;
            } else {
                std::uint64_t bit = std::uint64_t(1) << (entry % 64);
                replay = replay || ((seen & bit) && isRepeatedKey(key, base));
                seen |= bit;
            }
            (previous == KeyTable::noEntry ? m_firstKeys[depth] : m_keys[previous].next) = entry;
            previous = entry;
            skipWhitespace();
            if (current() != ':')
                return failContainer(dictionaryNoColon, start, base);
            ++m_cursor;
            Node element = value(depth);
            if (isFailure(element))
                return failContainer(dictionaryValueFailed, start, base);
            if (element.kind == noValueKind) {
                element = removalMark();
                replay = true;
            }
            // Field by field from registers: a pair put together in memory and copied whole
            // would stall on its own stores.
            Member& member = m_members.emplace_back();
            member.key = key;
            member.value = element;
            skipWhitespace();
            if (current() == ',') {
                ++m_cursor;
                skipWhitespaceAfterComma(depth);
                if (current() == '}')
                    break;
            } else if (current() == '}') {
                break;
            } else {
                return failContainer(dictionaryNoComma, start, base);
            }
        }
        ++m_cursor; // the '}' that ended the loop
        return finishDictionary(base, replay);
    }

    Node array(unsigned depth) {
        const std::uint8_t* start = m_cursor;
        if (current() != '[')
            return fail(arrayNotStarted, start);
        if (depth > maximumNestingDepth)
            return fail(nestingTooDeep, start);
        ++m_cursor;
        if (m_elements.capacity() == 0) {
            // No array can hold more elements than half the bytes that remain ("1,"), and the
            // stack never has to move its elements while it holds no more than that. Room reserved
            // is only address space until an element is written to it, so the bound may be generous,
            // up to maximumReservedElements.
            auto remaining = std::size_t(m_end - m_cursor);
            m_elements.reserve(std::min(remaining / 2 + 1, maximumReservedElements));
        }
        std::size_t base = m_elements.size();
        skipWhitespace();
        for (;;) {
            if (current() == ']')
                break;
            // Numbers, the bulk of large arrays, without the dispatch; the cursor is at the value.
            Node element = std::uint8_t(current() - '0') < 10 ? number() : value(depth);
            // An array has no empty slots: an element that gives no value fails like a bad one.
            if (isFailure(element) || element.kind == noValueKind)
                return failContainer(arrayValueFailed, start, base, true);
            m_elements.push_back(element);
            skipWhitespace();
            if (current() == ',') {
                ++m_cursor;
                skipWhitespaceAfterComma(depth);
                continue;
            }
            if (current() != ']')
                return failContainer(arrayNoComma, start, base, true);
            break;
        }
        ++m_cursor; // the ']' that ended the loop
        std::size_t count = m_elements.size() - base;
        const Node* stored = copyToArena(m_elements.data() + base, count);
        m_elements.resize(base);
        return Node::makeArray(stored, std::uint32_t(count));
    }

    // A key passes `entry`, holding the key that is expected: plain ASCII keys are then shared
    // through the key table, and `entry` left with the key's entry (noEntry when not shared).
    [[gnu::always_inline]] Node string(std::uint32_t* entry = nullptr) {
        const std::uint8_t* start = m_cursor;
        skipWhitespace();
        if (current() != '"')
            return fail(stringNotStarted, start);
        ++m_cursor;
        // Most strings are plain ASCII without escapes: copied straight into the arena.
        const std::uint8_t* run = byteRuns::plainStringEnd(m_cursor, m_end);
        if (run < m_end && *run == '"') {
            auto size = std::uint32_t(run - m_cursor);
            Node out;
            KeyTable::Entry* shared = nullptr;
            if (entry && (*entry = m_keys.find(m_cursor, size, m_end, *entry)) != KeyTable::noEntry)
                shared = &m_keys[*entry];
            if (shared && shared->text) {
                out = Node::makeString(shared->text, size);
            } else {
                // Shared keys are told apart by their text's address, so the empty key needs one.
                const char* stored =
                    size ? m_arena->copyArray(reinterpret_cast<const char*>(m_cursor), size) : emptyText;
                out = Node::makeString(stored, size);
                if (shared)
                    shared->text = stored;
            }
            m_cursor = run + 1;
            return out;
        }
        if (entry)
            *entry = KeyTable::noEntry;
        return decodedString(start);
    }

    [[gnu::always_inline]] Node number() {
        const std::uint8_t* first = m_cursor;
        if (!m_scanner.hasDefaultDoubleCharacters())
            return numberOfSet();
        // Short integers, the most common numbers, are read in the same pass that finds their end.
        const std::uint8_t* digit = first + (first < m_end && *first == '-');
        std::uint64_t integer = 0;
        const std::uint8_t* digitsEnd = digit;
        // Where the buffer goes on for a word: up to four digits one at a time, as most numbers are
        // that short and the branches that count them are predicted, so that the next value need
        // not wait for this one's digits; longer ones eight digits at once, then the loop below.
        if (m_end - digit >= 8) {
            unsigned count = 0;
            for (; count < 4; ++count) {
                unsigned value = std::uint8_t(digit[count] - '0');
                if (value >= 10)
                    break;
                integer = integer * 10 + value;
            }
            if (count < 4) {
                digitsEnd += count;
                // A fraction or an exponent goes to the numeral's parser without its digits' value.
                if (count == 0 || numberCharacters[*digitsEnd])
                    return numeral(first, digitsEnd);
                return integerNode(first, digit, digitsEnd, integer);
            }
            std::uint64_t values = littleEndianWord(digit) ^ 0x3030303030303030ull;
            // A byte is a digit when both its nibbles are, with the low one below ten. A carry out
            // of a byte that is no digit may spoil the bytes after it, which are not looked at.
            std::uint64_t notDigits = (values | (values + 0x0606060606060606ull)) & 0xF0F0F0F0F0F0F0F0ull;
            count = unsigned(std::countr_zero(notDigits)) / 8;
            digitsEnd += count;
            if (count < 8) {
                if (numberCharacters[*digitsEnd])
                    return numeral(first, digitsEnd);
                return integerNode(first, digit, digitsEnd, eightDigitsValue(values << (8 * (8 - count))));
            }
            integer = eightDigitsValue(values);
        }
        while (digitsEnd < m_end && digitsEnd - digit < 16 && std::uint8_t(*digitsEnd - '0') < 10)
            integer = integer * 10 + (*digitsEnd++ - '0');
        if (digitsEnd > digit && digitsEnd - digit < 16 &&
            (digitsEnd == m_end || !numberCharacters[*digitsEnd]))
            return integerNode(first, digit, digitsEnd, integer);
        return numeral(first, digitsEnd);
    }

    // Hands the result to the caller and the cursor back to the scanner.
    // `node` may be a failure (the call fails) or no value (it succeeds without one).
    bool finish(const Node& node, Value* out, Error* error) {
        m_scanner.m_current = m_cursor;
        if (isFailure(node)) {
            if (error)
                *error = makeError(code);
            return false;
        }
        if (out && node.kind != noValueKind) {
            Node* root = m_arena->allocateArray<Node>(1);
            *root = node;
            *out = Value(std::move(m_arena), root);
        }
        return true;
    }

    // The node of a call that fails before it scans.
    static Node failure() { return marked(failedKind); }

    long code{0};

  private:
    // Kinds that never leave the parser: a failed scan, and a scan that found no value.
    static constexpr Kind failedKind = Kind(0xFF);
    static constexpr Kind noValueKind = Kind(0xFE);
    // A string longer than the room that was guessed for it (see decodedString()).
    static constexpr Kind tooLongKind = Kind(0xFD);
    static Node marked(Kind kind) {
        Node node;
        node.kind = kind;
        return node;
    }
    static bool isFailure(const Node& node) { return node.kind == failedKind; }

    // The arena starts small and grows in chunks with the tree: a value read from the front of a
    // large buffer must not hold memory in proportion to the buffer.
    static constexpr std::size_t firstBlockBytes = 1024;
    // Under 32 MiB, the largest block the C library's allocator keeps for reuse once freed: a
    // larger one is mapped afresh for every document, and each page of it the stack touches
    // costs a page fault again (which made reading a 5 MB array of short strings 40 % slower on
    // a virtual machine). Larger arrays make the stack grow.
    static constexpr std::size_t maximumReservedElements = (std::size_t(32) << 20) / sizeof(Node) - 4096;
    // The text of the empty key, which the arena does not allocate; shared keys need an address.
    static constexpr char emptyText[1] = {0};

    std::uint8_t current() const { return m_cursor < m_end ? *m_cursor : 0; }

    // Pretty-printed text indents the values of one depth alike: the run after a comma is first
    // taken to be as long as the last one at that depth, which a predicted branch confirms
    // without the next value waiting for this run's masks.
    void skipWhitespaceAfterComma(unsigned depth) {
        if (m_cursor == m_end || !byteRuns::isWhitespace(*m_cursor))
            return; // compact text
        if (depth < indentationDepths && m_end - m_cursor >= 32) {
            unsigned guess = m_indentation[depth];
            if (guess != 0 && byteRuns::isWhitespaceRunOf(m_cursor, guess)) {
                m_cursor += guess;
                return;
            }
            const std::uint8_t* from = m_cursor;
            m_cursor = byteRuns::whitespaceEnd(m_cursor + 1, m_end);
            auto run = std::size_t(m_cursor - from);
            m_indentation[depth] = run < 32 ? std::uint8_t(run) : 0;
            return;
        }
        m_cursor = byteRuns::whitespaceEnd(m_cursor + 1, m_end);
    }

    void skipWhitespace() {
        // The one space after a colon, the most common run, is taken without the block loop.
        if (m_cursor < m_end && byteRuns::isWhitespace(*m_cursor)) [[unlikely]] {
            ++m_cursor;
            if (m_cursor < m_end && byteRuns::isWhitespace(*m_cursor))
                m_cursor = byteRuns::whitespaceEnd(m_cursor + 1, m_end);
        }
    }

    bool takeWord(const char* word, std::size_t size) {
        if (std::size_t(m_end - m_cursor) < size || std::memcmp(m_cursor, word, size) != 0)
            return false;
        m_cursor += size;
        return true;
    }

    Node fail(long failure, const std::uint8_t* start) {
        // The nesting limit describes the whole document, so no container overwrites it.
        if (code != nestingTooDeep)
            code = failure;
        m_cursor = start;
        return marked(failedKind);
    }

    Node failContainer(long failure, const std::uint8_t* start, std::size_t base, bool isArray = false) {
        if (isArray)
            m_elements.resize(base);
        else
            m_members.resize(base);
        return fail(failure, start);
    }

    // Most containers are small: their few records are copied here rather than by a call to memcpy.
    template <typename Record>
    const Record* copyToArena(const Record* records, std::size_t count) {
        if (count > 8)
            return m_arena->copyArray(records, count);
        Record* stored = m_arena->allocateArray<Record>(count);
        for (std::size_t i = 0; i < count; ++i)
            stored[i] = records[i];
        return stored;
    }

    // The number of eight digit values, one a byte and the first lowest: pairs, then fours,
    // then all eight are put together by multiplications.
    static std::uint64_t eightDigitsValue(std::uint64_t values) {
        values = (values * 10 + (values >> 8)) & 0x00FF00FF00FF00FFull;
        values = (values * 100 + (values >> 16)) & 0x0000FFFF0000FFFFull;
        return (values * 10000 + (values >> 32)) & 0xFFFFFFFFull;
    }

    [[gnu::always_inline]] Node integerNode(const std::uint8_t* first, const std::uint8_t* digit,
                                            const std::uint8_t* digitsEnd, std::uint64_t integer) {
        auto value = double(integer);
        m_cursor = digitsEnd;
        return Node::makeDouble(digit != first ? -value : value);
    }

    // The number whose run of number characters begins at `first` and goes on at least to `from`.
    Node numeral(const std::uint8_t* first, const std::uint8_t* from) {
        const std::uint8_t* run = from;
        while (run < m_end && numberCharacters[*run])
            ++run;
        if (run == first)
            return fail(numberNotStarted, first);
        m_cursor = run;
        return Node::makeDouble(runValue(first, run));
    }

    // The value of a run of the default number characters. Where the run begins with a minus or
    // a digit, fast_float's longest numeral is exactly the numeral rule's (no plus sign before the
    // digits, an exponent only with digits), so the run is parsed once, not scanned and parsed.
    static double runValue(const std::uint8_t* first, const std::uint8_t* run) {
        if (*first != '-' && std::uint8_t(*first - '0') >= 10)
            return numeralValue(first, std::size_t(run - first));
        double value = 0;
        auto parsed = fast_float::from_chars(reinterpret_cast<const char*>(first),
                                             reinterpret_cast<const char*>(run), value);
        return parsed.ec == std::errc() ? value : 0;
    }

    Node numberOfSet() {
        const std::uint8_t* run = m_cursor;
        while (run < m_end && m_scanner.doubleCharacters().contains(*run))
            ++run;
        if (run == m_cursor)
            return fail(numberNotStarted, m_cursor);
        Node out = Node::makeDouble(numeralValue(m_cursor, std::size_t(run - m_cursor)));
        m_cursor = run;
        return out;
    }

    // A string with escapes or bytes from 0x80 on, after its opening quotation mark. Its text is
    // written straight into the arena, in room for at least as many bytes as the string has in
    // the buffer (escapes only get shorter); the room left over goes back to the arena. Finding
    // the closing quotation mark first would read the text twice, so where the arena's block has
    // room enough (for all the bytes left, or for a long string) the text is decoded at once up
    // to a limit that keeps within that room; only a string that runs past the limit is read
    // again, after the search.
    [[gnu::noinline]] Node decodedString(const std::uint8_t* start) {
        auto remaining = std::size_t(m_end - m_cursor);
        std::size_t available = m_arena->available();
        if (available >= remaining + roomMargin)
            return decodedStringUpTo(start, m_end, remaining + roomMargin);
        if (available >= minimumGuessedRoom) {
            const std::uint8_t* limit = m_cursor + (available - roomMargin);
            Node node = decodedStringUpTo(start, limit, available);
            if (node.kind != tooLongKind)
                return node;
        }
        const std::uint8_t* close = closingQuote(m_cursor);
        const std::uint8_t* limit = close < m_end ? close + 1 : m_end;
        return decodedStringUpTo(start, limit, std::size_t(limit - m_cursor) + roomMargin);
    }

    // Bytes beyond those up to the limit that the room holds: those of an escape or a sequence
    // that begins before the limit and ends after it.
    static constexpr std::size_t roomMargin = 8;
    static constexpr std::size_t minimumGuessedRoom = 256;

    // Decodes the string at the cursor into `room` bytes, reading no character that begins at or
    // past `limit`, which is the end of the buffer or leaves the room `roomMargin` bytes more than
    // those before it. A string that does not end before a limit short of the buffer's end
    // gives a node of the kind tooLongKind, and its room back to the arena. `whole` lets runs of
    // text be copied whole and checked in one go (see byteRuns::checkedCopy); a string found wrong
    // is read again without, one character at a time, which finds the fault and reports it.
    Node decodedStringUpTo(const std::uint8_t* start, const std::uint8_t* limit, std::size_t room,
                           [[maybe_unused]] bool whole = true) {
        std::uint8_t* const text = m_arena->allocateArray<std::uint8_t>(room);
        std::uint8_t* target = text;
        const std::uint8_t* source = m_cursor;
        for (;;) {
#if defined(TORVANE_BYTE_RUNS_CHECKED_COPY)
            if (whole && m_checkedCopy && source - m_begin >= 3 && source[-1] < 0x80) {
                const std::uint8_t* const runStart = source;
                byteRuns::CheckedRun run = byteRuns::checkedCopy(source, limit, target);
                if (run.wrong) {
                    m_arena->giveBack(text, text + room);
                    return decodedStringUpTo(start, limit, room, false);
                }
                if (run.stop == byteRuns::CheckedStop::quote)
                    break;
                if (run.stop == byteRuns::CheckedStop::escape) {
                    if (long failure = decodeEscape(source, target); failure != 0)
                        return fail(failure, start);
                    continue;
                }
                // Near the limit. A character the last block cut off is checked only with the bytes
                // after it: back to its lead, for the code below.
                for (std::size_t back = 1; back <= 3 && back <= std::size_t(source - runStart); ++back) {
                    std::uint8_t byte = source[-std::ptrdiff_t(back)];
                    if (byte < 0x80)
                        break;
                    if (byte >= 0xC0) {
                        if (std::size_t(byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2) > back) {
                            source -= back;
                            target -= back;
                        }
                        break;
                    }
                }
            }
#endif
            // Sixteen bytes at a time are copied, then checked; the text never gets longer than
            // the bytes it comes from, so a block stored past the end of its checked part stays
            // within the room. Near `limit`, at a stop (quotation mark, backslash) and at bytes
            // that are not UTF-8, the code after the loop takes one character.
#if defined(TORVANE_BYTE_RUNS_MIXED_BLOCKS)
            // Words beyond ASCII come with spaces and punctuation between them, and the blocks take
            // such text whole, without a branch per character; escapes come often enough in such
            // text to be decoded without leaving the loop.
            while (limit - source >= 18) {
                byteRuns::store(byteRuns::load(source), target);
                std::size_t taken = byteRuns::mixedRunLength(source);
                source += taken;
                target += taken;
                if (*source == '\\') {
                    if (long failure = decodeEscape(source, target); failure != 0)
                        return fail(failure, start);
                } else if (taken == 0 || *source == '"') {
                    break;
                }
            }
#else
            // Plain ASCII only; other text one character at a time.
            while (limit - source >= 16) {
                byteRuns::Block block = byteRuns::load(source);
                byteRuns::store(block, target);
                std::uint64_t stops = byteRuns::stringStops(block);
                if (stops == 0) {
                    source += 16;
                    target += 16;
                    continue;
                }
                std::size_t plain = byteRuns::firstByte(stops);
                source += plain;
                target += plain;
                break;
            }
#endif
            if (source >= limit) {
                if (limit < m_end) {
                    m_arena->giveBack(text, text + room);
                    return marked(tooLongKind);
                }
                m_cursor = source;
                return fail(stringNotTerminated, start);
            }
            std::uint8_t byte = *source;
            if (byte == '"')
                break;
            if (byte < 0x80 && byte != '\\') {
                *target++ = byte;
                ++source;
            } else if (byte == '\\') {
                long failure = decodeEscape(source, target);
                if (failure != 0)
                    return fail(failure, start);
            } else {
                do {
                    if (!copyCharacter(source, target))
                        return fail(stringNotUTF8, start);
                } while (source < limit && *source >= 0x80);
            }
        }
        auto size = std::size_t(target - text);
        m_arena->giveBack(text + size, text + room);
        m_cursor = source + 1;
        return Node::makeString(size ? reinterpret_cast<const char*>(text) : nullptr, std::uint32_t(size));
    }

    // Copies the UTF-8 sequence at `source` and moves past it; false when it is not UTF-8.
    bool copyCharacter(const std::uint8_t*& source, std::uint8_t*& target) const {
        char32_t codePoint = 0;
        std::size_t length = decodeUTF8(source, std::size_t(m_end - source), codePoint);
        for (std::size_t i = 0; i < length; ++i)
            *target++ = *source++;
        return length != 0;
    }

    // The closing quotation mark of the string whose text begins at `cursor`, or the end.
    const std::uint8_t* closingQuote(const std::uint8_t* cursor) const {
        for (;;) {
            cursor = byteRuns::nextQuoteOrBackslash(cursor, m_end);
            if (cursor >= m_end || *cursor == '"')
                return cursor;
            cursor = std::min(cursor + 2, m_end); // a backslash and the byte it escapes
        }
    }

    // At a backslash: writes the escaped character and moves past the escape; 0, or the failure's
    // code. A \u escape of a high surrogate followed by one of a low surrogate is one character;
    // any other surrogate stays a unit of its own, in the three bytes of WTF-8.
    long decodeEscape(const std::uint8_t*& source, std::uint8_t*& target) const {
        ++source;
        std::uint8_t escape = source < m_end ? *source : 0;
        if (source < m_end)
            ++source;
        char32_t unit = byteRuns::shortEscapes[escape];
        if (unit == 0) {
            if (escape != 'u')
                return stringBadEscape;
            for (int i = 0; i < 4; ++i) {
                int digit = source < m_end ? byteRuns::hexDigit(*source) : -1;
                if (source < m_end)
                    ++source;
                if (digit < 0)
                    return stringBadUnicode;
                unit = unit << 4 | char32_t(digit);
            }
            if (m_end - source >= 6) {
                if (char32_t pair = byteRuns::pairedCodePoint(long(unit), source); pair != 0) {
                    unit = pair;
                    source += 6;
                }
            }
        }
        target = writeUTF8(unit, target);
        return 0;
    }

    // Whether `key`, shared, is among the keys of the dictionary whose members begin at `base`: a
    // shared key is one copy, so the same key is the same address. A large dictionary is left to
    // the replay rather than compared key by key.
    bool isRepeatedKey(const Node& key, std::size_t base) const {
        if (m_members.size() - base > 32)
            return true;
        for (std::size_t i = base; i < m_members.size(); ++i)
            if (m_members[i].key.text == key.text)
                return true;
        return false;
    }

    Node finishDictionary(std::size_t base, bool replay) {
        std::size_t count = m_members.size() - base;
        Member* first = m_members.data() + base;
        if (replay)
            count = applyInOrder(first, count);
        const Member* stored = copyToArena(first, count);
        m_members.resize(base);
        return Node::makeDictionary(stored, std::uint32_t(count));
    }

    // Replays the pairs as the platform's key-value setter would take them: a later value
    // replaces an earlier one in its place, a removal mark drops the entry. Returns the count
    // left at the front of `members`. Only dictionaries with repeated keys or missing values
    // come here.
    static std::size_t applyInOrder(Member* members, std::size_t count) {
        std::unordered_map<std::string_view, std::size_t> live;
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
    const std::uint8_t* m_cursor;
    const std::uint8_t* m_end;
    std::shared_ptr<Arena> m_arena;
    std::vector<Node> m_elements;
    std::vector<Member> m_members;
    KeyTable m_keys;
#if defined(TORVANE_BYTE_RUNS_CHECKED_COPY)
    const std::uint8_t* const m_begin{m_scanner.m_start};
    const bool m_checkedCopy{byteRuns::hasCheckedCopy()};
#endif
    // The whitespace after the latest comma at each depth (0: none, or too long to guess).
    static constexpr unsigned indentationDepths = 64;
    std::array<std::uint8_t, indentationDepths> m_indentation{};
    // The first key of the latest dictionary at each depth: the next one there likely begins alike.
    std::vector<std::uint32_t> m_firstKeys;
};

// MARK: - [SECTION] Public scanning methods

bool JSONScanner::scan(Start start, Value* out, Error* error) {
    Parser parser(*this);
    if (m_undecodable) {
        parser.code = dataNotDecodable;
        return parser.finish(Parser::failure(), out, error);
    }
    Node node;
    switch (start) {
    case Start::Object:
        node = parser.value(0);
        break;
    case Start::Dictionary:
        node = parser.dictionary(1);
        break;
    case Start::Array:
        node = parser.array(1);
        break;
    case Start::String:
        node = parser.string();
        break;
    case Start::Number:
        node = parser.number();
        break;
    }
    return parser.finish(node, out, error);
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
