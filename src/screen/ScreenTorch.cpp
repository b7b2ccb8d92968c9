// The LED torch. The capture session and the LED class device come with the torch's own work;
// until then the toggle changes nothing, the flags stay off and the start goes on.

#include "screen/TorvaneViewController.h"

namespace torvane::screen {

void TorvaneViewController::iPhone4LedToggle() {}

} // namespace torvane::screen
