#pragma once

// The screen's one controller: it owns all screen state and the stored choices, and its work is
// split by concern over the files of this folder:
//
//   ScreenState.cpp     init (the start sequence), restore and seed rules, teardown
//   ScreenLayout.cpp    loadView: the view tree and the opening animations; a new height
//   ScreenTorch.cpp     iPhone4LedToggle: the LED torch
//   ScreenSounds.cpp    the audio session and the sound players
//   ScreenPrompts.cpp   the upgrade alert and the store links
//   AdValues.cpp        the ad placement values
//
// Life cycle: the delegate creates the controller (init runs to its end in the constructor),
// then asks for `view()`, which builds the view tree once; the controller lives as long as the
// delegate, within the platform context it was given. It is used on the main thread only.

#include "platform/alert/Alert.h"
#include "platform/audio/SoundPlayer.h"
#include "platform/geometry/AffineTransform.h"
#include "platform/geometry/Color.h"
#include "platform/geometry/Transform3D.h"
#include "platform/torch/CaptureSession.h"
#include "platform/view/ImageView.h"
#include "screen/ScreenEnvironment.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace torvane::platform {
class SettingsStore;
}

namespace torvane::screen {

// A flag holds 0 or 1 only: readers compare it with 1.
using Flag = std::uint8_t;

class TorvaneViewController {
  public:
    // Runs `init`.
    explicit TorvaneViewController(ScreenEnvironment environment);
    // Teardown (`dealloc`).
    ~TorvaneViewController();
    TorvaneViewController(const TorvaneViewController&) = delete;
    TorvaneViewController& operator=(const TorvaneViewController&) = delete;

    // MARK: - Operations

    // The controller's root view; the first call builds the view tree (`loadView`).
    std::shared_ptr<platform::ImageView> view();
    void loadView();

    // Ad placement values: constants; the colours are made anew on every call.
    [[nodiscard]] std::string_view publisherId() const;
    [[nodiscard]] TorvaneViewController& currentViewController();
    [[nodiscard]] platform::Color adBackgroundColor() const;
    [[nodiscard]] platform::Color primaryTextColor() const;
    [[nodiscard]] platform::Color secondaryTextColor() const;

    void iPhone4LedToggle();

    // The window gave the screen a new height in points (a rotation, a resize): the tray, the
    // lens and the hit tables follow it, also in the middle of an animation.
    void layoutHeightChanged(float height);

    // A touch begins at this point of the view (none: the platform gave no touch object).
    void touchesBegan(std::optional<platform::Point> touch);

    // The animation starters, and the completion handler named for every block; `identifier` is
    // one of the six of AnimationIdentifiers.h, compared by address.
    void MoveLensIntoPlace();
    void flipUpControlTray();
    void dismissControlTray();
    void showControlTray();
    void animationHasFinished(const char* identifier, bool finished, void* context);

    // The upgrade alert's delegate message: "Upgrade" is 0, "Not Now" 1.
    void alertViewClickedButtonAtIndex(long buttonIndex);
    // A lens choice: the next click player of the pool sounds (with sound on), and `lensTypeStr`
    // is stored under "lens_type" at once, with sound on or off.
    void playButtonPushSound();

    // The platform's memory and unload messages: the controller keeps nothing it could let go.
    void didReceiveMemoryWarning() {}
    void viewDidUnload() {}

    [[nodiscard]] const std::shared_ptr<platform::CaptureSession>& torchSession() const {
        return m_torchSession;
    }
    void setTorchSession(std::shared_ptr<platform::CaptureSession> session) {
        m_torchSession = std::move(session);
    }

    // MARK: - Steps of init that belong to other concerns

    void recordInstallIfNeeded();
    void setUpAudioSession();
    void createSoundPlayers();
    void showUpgradeAlert();

    // MARK: - Fields, in declaration order
    // Public: they are the screen's state, which the files of this folder share (one class split by
    // concern) and tests read.

    std::shared_ptr<platform::ImageView> imageLensView;
    std::shared_ptr<platform::ImageView> baseView;
    std::shared_ptr<platform::ImageView> controlTrayView;
    std::shared_ptr<platform::ImageView> trayRestoreButtonView;
    std::shared_ptr<platform::ImageView> soundOffButtonView;
    std::unique_ptr<platform::SoundPlayer> audioPlayerLowerLensCover;
    // Slots 0 to 4 are filled; 5 to 9 stay empty.
    std::array<std::unique_ptr<platform::SoundPlayer>, 10> audioPlayerPickLensCover;
    std::unique_ptr<platform::SoundPlayer> audioPlayerFlipTrayUp;
    std::unique_ptr<platform::SoundPlayer> audioPlayerDismissTray;
    std::unique_ptr<platform::SoundPlayer> audioPlayerShowTray;
    // The lens-pick player used last, and the counter that fills and frees the pool: 5 after init.
    std::int32_t x{0};
    Flag soundFxOn{0};
    std::string lensTypeStr;
    // The context's store, fetched again by every writer before it writes. Not owned.
    platform::SettingsStore* defaults{nullptr};
    platform::Transform3D ca3DBoardTrans;
    // The tray view's own layer: here the tray view itself, whose layer transform it carries.
    // Not owned.
    platform::ImageView* gameBoardLayer{nullptr};
    platform::AffineTransform flashlightTransform;
    platform::AffineTransform lensTransform;
    platform::AffineTransform controlTrayTransform;
    Flag controlTrayUp{0};
    // The lens picture shown at start; none leaves the lens view without a picture.
    std::optional<std::string> lensFileInUse;
    std::optional<std::string> appStoreUrl;
    std::unique_ptr<platform::Alert> alert;
    Flag deviceIsiPhone4{0};
    // The torchSession property's field; the same session as `session` once the torch has one.
    std::shared_ptr<platform::CaptureSession> m_torchSession;
    std::shared_ptr<platform::CaptureSession> session;
    Flag canCaptureAVSessions{0};
    Flag iPhone4LedIsOn{0};
    Flag iphoneLEDInit{0};
    float screenHeight{0};

  private:
    void init();
    void restoreStoredChoices(platform::SettingsStore& store);
    void seedStoredChoices();
    // Fetches the shared store into `defaults`, as every writer does before it writes.
    platform::SettingsStore& fetchDefaults();
    // Plays an effect when sound is on; an absent player plays nothing. For every effect but the
    // one that announces sound being switched on, which always plays.
    void playEffect(platform::SoundPlayer* player);
    void beginAnimation(const char* identifier, double duration);
    void recordTrayPosition(bool up);
    void toggleSound();
    [[nodiscard]] static std::string proPageUrl();
    [[nodiscard]] static std::string makerPageUrl();
    void openStorePage(const std::string& url);

    ScreenEnvironment m_environment;
    std::shared_ptr<platform::ImageView> m_view;
};

} // namespace torvane::screen
