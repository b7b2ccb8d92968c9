#pragma once

// One line of a headless script (`torvane --headless --script FILE`), parsed and checked before
// anything runs. The main loop carries the commands out in order.

#include "platform/geometry/Geometry.h"

#include <string>
#include <vector>

namespace torvane::platform {

struct ScriptCommand {
    enum class Kind {
        Wait,  // advance the virtual clock by `seconds`, in steps of 1/60 s
        Tap,   // a touch begins at `point`, in points in the controller's view
        Alert, // press button `index` of the alert on top
        Shot,  // write the current frame to `file` as a PNG at the window's pixel size
        Quit,
    };

    Kind kind{Kind::Quit};
    double seconds{0};
    Point point;
    int index{0};
    std::string file;
    int line{0}; // line number in the script, for messages
};

using Script = std::vector<ScriptCommand>;

} // namespace torvane::platform
