#pragma once

// The block and line comment scanners, written once for the byte scanner (DataScanner) and the
// text scanner (TextScanner): each scanner supplies its own steps, and these functions order them
// and raise the exceptions. `Steps` provides:
//
//   using Text;                            the text a step takes (bytes or UTF-16 units)
//   bool take(literal)                     takes "/*", "*/" or "//" at the location
//   bool takeUpTo(literal, Text&)          takes the text up to the literal (the scanner's own
//                                          rule for a literal that never comes)
//   bool contains(const Text&, literal)
//   bool takeUpToLineBreak(Text&)          takes the text up to a line break; false when none
//   void takeLineBreaks()                  takes the run of line breaks that follows

#include "foundation/GenericException.h"
#include "json/NSCharacterSet_Extensions.h"

#include <utility>

namespace torvane::commentScanning {

// The line breaks that end a C++-style comment, made once.
inline const CharacterSet& linebreaks() {
    static const CharacterSet set = linebreaksCharacterSet();
    return set;
}

// On success `text` holds what lies between the markers. Throws GenericException on a comment
// that is not terminated, is nested or does not end correctly, with the location where the
// failing step left it.
template <typename Steps>
bool scanBlockComment(Steps& steps, typename Steps::Text& text) {
    if (!steps.take("/*"))
        return false;
    if (!steps.takeUpTo("*/", text))
        throw GenericException("Started to scan a C style comment but it wasn't terminated.");
    if (steps.contains(text, "/*"))
        throw GenericException("C style comments should not be nested.");
    if (!steps.take("*/"))
        throw GenericException("C style comment did not end correctly.");
    return true;
}

// On success `hasText` tells whether the comment held any text, and `text` holds it.
template <typename Steps>
bool scanLineComment(Steps& steps, typename Steps::Text& text, bool& hasText) {
    if (!steps.take("//"))
        return false;
    hasText = steps.takeUpToLineBreak(text);
    steps.takeLineBreaks();
    return true;
}

} // namespace torvane::commentScanning
