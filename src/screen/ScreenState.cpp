// The controller's start (`init`), the restore and seed rules of the stored choices, and its
// teardown. The order of `init` is fixed: later steps rely on what earlier ones set, and the
// install report and the torch come before anything the user sees.

#include "screen/TorvaneViewController.h"

#include "platform/core/Application.h"
#include "platform/core/DeviceClass.h"
#include "platform/storage/SettingsStore.h"
#include "platform/torch/LedClass.h"
#include "screen/LensTable.h"
#include "screen/StoredKeys.h"

namespace torvane::screen {

namespace {

// Flags are stored as text; only exactly "TRUE" is true.
Flag storedFlag(const std::optional<std::string>& text) {
    return text == "TRUE" ? 1 : 0;
}

} // namespace

TorvaneViewController::TorvaneViewController(ScreenEnvironment environment)
    : m_environment(std::move(environment)) {
    init();
}

void TorvaneViewController::recordInstallIfNeeded() {
    if (m_environment.recordInstallIfNeeded)
        m_environment.recordInstallIfNeeded();
}

void TorvaneViewController::init() {
    recordInstallIfNeeded();

    canCaptureAVSessions = m_environment.canCaptureAVSessions ? 1 : 0;
    screenHeight = m_environment.screenHeight.value_or(0.0f);
    bool inLedClass =
        m_environment.modelFromHardware
            ? platform::hardwareIsiPhone4(m_environment.machine,
                                          platform::torchLedExists(m_environment.context.leds.root()))
            : platform::deviceIsiPhone4(m_environment.machine);
    deviceIsiPhone4 = inLedClass ? 1 : 0;

    // Marked off, so this first toggle switches the torch on wherever the torch may act.
    iphoneLEDInit = 0;
    iPhone4LedIsOn = 0;
    iPhone4LedToggle();

    setUpAudioSession();

    auto& application = m_environment.context.application;
    application.setStatusBarHidden(true);
    application.setIdleTimerDisabled(true);

    createSoundPlayers();

    auto& store = m_environment.context.settings;
    if (store.stringForKey(versionKey) == storedVersion)
        restoreStoredChoices(store);
    else
        seedStoredChoices();
}

namespace {

// A lens name that is missing or unknown would start a dark lens; a flashlight gives light, so
// such a store starts the white lens instead (and keeps the stored name untouched).
Lens storedLensOrWhite(const platform::SettingsStore& store) {
    auto name = store.stringForKey(lensKey);
    auto lens = name ? lensNamed(*name) : std::nullopt;
    return lens ? *lens : whiteLens;
}

} // namespace

// Nothing is written here, so a start never changes what the user chose.
void TorvaneViewController::restoreStoredChoices(platform::SettingsStore& store) {
    auto lens = storedLensOrWhite(store);
    lensTypeStr = std::string(lens.name);
    lensFileInUse = std::string(lens.imageFile);

    // Missing flags take their first-run values; seeding always writes all keys, so only an
    // altered store lacks them.
    auto sound = store.stringForKey(soundKey);
    soundFxOn = sound ? storedFlag(sound) : 1;
    auto tray = store.stringForKey(trayKey);
    controlTrayUp = tray ? storedFlag(tray) : 0;
}

// First start, or a store of another version: every choice starts afresh.
void TorvaneViewController::seedStoredChoices() {
    soundFxOn = 1;
    lensTypeStr = std::string(whiteLens.name);
    lensFileInUse = std::string(whiteLens.imageFile);
    controlTrayUp = 0;

    auto& store = fetchDefaults();
    store.setObject(storedVersion, versionKey);
    store.setObject(whiteLens.name, lensKey);
    store.setObject("TRUE", soundKey);
    store.setObject("FALSE", trayKey);
    store.synchronize();

    if (deviceIsiPhone4 == 1)
        showUpgradeAlert();
}

platform::SettingsStore& TorvaneViewController::fetchDefaults() {
    defaults = &m_environment.context.settings;
    return *defaults;
}

// The players, views and session go with their fields.
TorvaneViewController::~TorvaneViewController() = default;

} // namespace torvane::screen
