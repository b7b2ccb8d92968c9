#include "json/NSCharacterSet_Extensions.h"

namespace torvane {

namespace {
constexpr char16_t linebreakUnits[] = {0x000A, 0x000C, 0x000D, 0x0085, 0x2028, 0x2029};
}

CharacterSet linebreaksCharacterSet() {
    return CharacterSet::withCharacters({linebreakUnits, 6});
}

} // namespace torvane
