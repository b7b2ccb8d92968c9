#pragma once

// The camera's LED as the capture device that the screen lights as a torch (the role of
// AVCaptureDevice). On Linux it is the torch LED of the kernel's LED class (LedClass.h tells which
// LED is chosen). No LED at all is a state, not an error: there is no default device, and
// nothing is logged.
//
//     if (auto device = CaptureDevice::defaultDeviceWithMediaType(access, MediaType::Video);
//         device && device->hasTorch() && device->hasFlash()) {
//         device->lockForConfiguration();
//         device->setTorchMode(TorchMode::On);
//         device->setFlashMode(FlashMode::On);
//         device->unlockForConfiguration();
//     }
//
// The lock is the right to change the LED: `brightness` opened for writing, or else logind's
// SetBrightness on the caller's session, over the one bus connection that the process keeps
// (LedAccess.h). When neither is granted the lock fails, one console line
// says why, and mode changes leave the LED as it was. The `led` trace line is written at the
// unlock that follows a mode change, with the modes the application asked for.

#include "platform/core/Trace.h"
#include "platform/core/UniqueFd.h"
#include "platform/torch/LedAccess.h"
#include "platform/torch/LedClass.h"
#include "platform/torch/LogindSession.h"

#include <memory>
#include <optional>

namespace torvane::platform {

enum class MediaType { Video };
enum class TorchMode { Off = 0, On = 1 };
// Recorded only: the application never strobes the flash.
enum class FlashMode { Off = 0, On = 1 };

class CaptureDevice {
  public:
    // Looks the LED up anew under ledRoot() at every call, as the platform does.
    [[nodiscard]] static std::optional<CaptureDevice> defaultDeviceWithMediaType(LedAccess& access,
                                                                                 MediaType type);

    [[nodiscard]] bool hasTorch() const { return true; }
    [[nodiscard]] bool hasFlash() const { return m_led.hasFlash; }
    [[nodiscard]] const TorchLed& led() const { return m_led; }

    bool lockForConfiguration();
    [[nodiscard]] bool isLockedForConfiguration() const { return m_brightness || m_logind; }
    // Torch on writes 0 and then max_brightness (some controllers take a new brightness only from
    // off), unless the LED is at max_brightness already; off writes 0. Without the lock nothing is
    // written.
    void setTorchMode(TorchMode mode);
    void setFlashMode(FlashMode mode);
    void unlockForConfiguration();

    [[nodiscard]] TorchMode torchMode() const { return m_torchMode; }
    [[nodiscard]] FlashMode flashMode() const { return m_flashMode; }

  private:
    CaptureDevice(LedAccess& access, TorchLed led);
    bool setBrightness(int value);

    LedAccess* m_access; // a pointer, so that devices can be moved and assigned
    TorchLed m_led;
    TorchMode m_torchMode{TorchMode::Off};
    FlashMode m_flashMode{FlashMode::Off};
    // What the application asked for since the lock, for the trace.
    std::optional<TorchMode> m_requestedTorch;
    std::optional<FlashMode> m_requestedFlash;
    // The lock: one of the two, or neither.
    UniqueFd m_brightness;
    std::shared_ptr<LogindSession> m_logind;
};

} // namespace torvane::platform
