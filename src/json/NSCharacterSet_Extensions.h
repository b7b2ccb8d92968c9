#pragma once

// The character-set extension group: the line breaks that end a line comment.

#include "foundation/CharacterSet.h"

namespace torvane {

// Line feed, form feed, carriage return, next line, line separator and paragraph separator.
// Vertical tab is deliberately not a line break here.
[[nodiscard]] CharacterSet linebreaksCharacterSet();

} // namespace torvane
