// DataScanner_Extensions: the block and line comment scanners of DataScanner. The JSON scanner
// does not use them; they are part of the library's general interface.

#include "json/DataScanner.h"
#include "json/NSCharacterSet_Extensions.h"

#include "foundation/GenericException.h"

namespace torvane {

bool DataScanner::scanCStyleComment(Value* out) {
    if (!scanUTF8String("/*", nullptr))
        return false;
    const std::uint8_t* textStart = m_current;
    if (!scanUpToString(Value::string(u"*/"), nullptr))
        throw GenericException("Started to scan a C style comment but it wasn't terminated.");
    std::string_view text(reinterpret_cast<const char*>(textStart), std::size_t(m_current - textStart));
    if (text.find("/*") != std::string_view::npos)
        throw GenericException("C style comments should not be nested.");
    if (!scanUTF8String("*/", nullptr))
        throw GenericException("C style comment did not end correctly.");
    if (out)
        *out = Value::stringFromUTF8(text);
    return true;
}

bool DataScanner::scanCPlusPlusStyleComment(Value* out) {
    if (!scanUTF8String("//", nullptr))
        return false;
    static const CharacterSet linebreaks = linebreaksCharacterSet();
    Value text;
    scanUpToCharactersFromSet(linebreaks, &text);
    scanCharactersFromSet(linebreaks, nullptr);
    if (out)
        *out = text;
    return true;
}

} // namespace torvane
