// The tray and lens animations: the four starters and the one completion handler that chains
// the opening sequence and records where the tray ended.
//
// Opening sequence (seconds from loadView, sound on):
//   0      body zooms away (MoveFlashLightIntoPlace), tray turns edge-on (FlipControlTrayDown)
//   0.0001 the rating prompt counts this launch
//   0.5    lens slides up (MoveLensIntoPlace)
//   1.0    body hidden, tray flips up (flipControlTrayUp)
//   1.5    tray slides down again when it was stored down (DismissControlTray)
//   2.0    "FALSE" stored under "control_tray_up"

#include "screen/TorvaneViewController.h"

#include "platform/storage/SettingsStore.h"
#include "platform/view/Animator.h"
#include "screen/AnimationIdentifiers.h"
#include "screen/StoredKeys.h"

namespace torvane::screen {

namespace {

constexpr double slideDuration = 0.5;
// The lens rests 670 points up with the tray up and 513 with it down; the tray moves 156.
constexpr float lensUpOffset = -670;
constexpr float lensDownOffset = -513;
constexpr float trayDownOffset = 156;

} // namespace

void TorvaneViewController::beginAnimation(const char* identifier, double duration) {
    auto& animator = m_environment.context.animator;
    animator.beginAnimations(identifier);
    animator.setAnimationDelegate([this](const char* finishedIdentifier, bool finished) {
        animationHasFinished(finishedIdentifier, finished, nullptr);
    });
    animator.setAnimationDuration(duration);
}

void TorvaneViewController::MoveLensIntoPlace() {
    playEffect(audioPlayerLowerLensCover.get());
    beginAnimation(screen::MoveLensIntoPlace, slideDuration);
    lensTransform = platform::translate(flashlightTransform, 0, lensUpOffset);
    imageLensView->setTransform(lensTransform);
    m_environment.context.animator.commitAnimations();
}

void TorvaneViewController::flipUpControlTray() {
    playEffect(audioPlayerFlipTrayUp.get());
    beginAnimation(FlipControlTrayUp, slideDuration);
    ca3DBoardTrans = platform::rotate(ca3DBoardTrans, -1.5707964f, 1, 0, 0);
    gameBoardLayer->setLayerTransform(ca3DBoardTrans);
    m_environment.context.animator.commitAnimations();
}

// The tray's slides are absolute, not added to the last one: a second touch while a slide runs
// restarts it towards the same place, so the tray can never leave the screen and the picture
// always agrees with the hit tables.
void TorvaneViewController::dismissControlTray() {
    playEffect(audioPlayerDismissTray.get());
    beginAnimation(DismissControlTray, slideDuration);
    lensTransform = platform::translate(flashlightTransform, 0, lensDownOffset);
    imageLensView->setTransform(lensTransform);
    controlTrayTransform = platform::AffineTransform::makeTranslation(0, trayDownOffset);
    controlTrayView->setTransform(controlTrayTransform);
    m_environment.context.animator.commitAnimations();
}

void TorvaneViewController::showControlTray() {
    playEffect(audioPlayerShowTray.get());
    beginAnimation(ShowControlTray, slideDuration);
    lensTransform = platform::translate(flashlightTransform, 0, lensUpOffset);
    imageLensView->setTransform(lensTransform);
    controlTrayTransform = platform::AffineTransform::identity();
    controlTrayView->setTransform(controlTrayTransform);
    m_environment.context.animator.commitAnimations();
}

// Runs whether the block finished or was cut short. Identifiers are compared by address.
void TorvaneViewController::animationHasFinished(const char* identifier, bool /*finished*/,
                                                 void* /*context*/) {
    if (identifier == FlipControlTrayDown) {
        if (m_environment.ratingPrompt)
            m_environment.ratingPrompt->appLaunched();
    } else if (identifier == screen::MoveLensIntoPlace) {
        baseView->setHidden(true);
        flipUpControlTray();
    } else if (identifier == MoveFlashLightIntoPlace) {
        // The field only: the body keeps its zoomed look until it is hidden.
        flashlightTransform = platform::AffineTransform::identity();
        MoveLensIntoPlace();
    } else if (identifier == FlipControlTrayUp) {
        if (controlTrayUp != 1)
            dismissControlTray();
    } else if (identifier == DismissControlTray) {
        recordTrayPosition(false);
    } else if (identifier == ShowControlTray) {
        recordTrayPosition(true);
    }
}

void TorvaneViewController::recordTrayPosition(bool up) {
    trayRestoreButtonView->setHidden(up);
    controlTrayUp = up ? 1 : 0;
    auto& store = fetchDefaults();
    store.setObject(up ? "TRUE" : "FALSE", trayKey);
    store.synchronize();
}

} // namespace torvane::screen
