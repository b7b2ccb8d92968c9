// The upgrade alert and the store links. Alerts come with the prompts' own work; until then the
// first-run alert is not shown.

#include "screen/TorvaneViewController.h"

namespace torvane::screen {

void TorvaneViewController::showUpgradeAlert() {}

} // namespace torvane::screen
