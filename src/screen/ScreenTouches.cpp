// touchesBegan: a touch becomes at most one action of the tray's hit tables. Only the beginning
// of a touch counts; during a tray slide the old table stays in force.

#include "screen/TorvaneViewController.h"

#include "platform/storage/SettingsStore.h"
#include "platform/view/Image.h"
#include "screen/HitRegions.h"
#include "screen/StoredKeys.h"

#include <cstdio>

namespace torvane::screen {

void TorvaneViewController::touchesBegan(std::optional<platform::Point> touch) {
    platform::Point layout = layoutPoint(touch.value_or(platform::Point{}), screenHeight);

    char line[96];
    std::snprintf(line, sizeof line, "y->%1.3f x->%1.3f", double(layout.y), double(layout.x));
    m_environment.context.trace.log(line);

    const HitRegion* region = regionAt(layout, controlTrayUp == 1);
    if (!region)
        return;
    switch (region->action) {
    case TouchAction::MoveTray:
        if (controlTrayUp == 1)
            dismissControlTray();
        else
            showControlTray();
        break;
    case TouchAction::OpenProPage:
        openStorePage(proPageUrl());
        break;
    case TouchAction::OpenMakerPage:
        openStorePage(makerPageUrl());
        break;
    case TouchAction::ToggleSound:
        toggleSound();
        break;
    case TouchAction::PickLens:
        imageLensView->setImage(m_environment.context.images.imageNamed(std::string(region->lens.imageFile)));
        lensTypeStr = std::string(region->lens.name);
        playButtonPushSound();
        break;
    }
}

void TorvaneViewController::toggleSound() {
    auto& store = fetchDefaults();
    const char* value;
    if (soundFxOn == 1) {
        soundOffButtonView->setHidden(false);
        soundFxOn = 0;
        value = "FALSE";
    } else {
        // Switching sound on is heard whatever the old setting was.
        if (audioPlayerLowerLensCover)
            audioPlayerLowerLensCover->play();
        soundOffButtonView->setHidden(true);
        soundFxOn = 1;
        value = "TRUE";
    }
    store.setObject(value, soundKey);
    store.synchronize();
}

} // namespace torvane::screen
