// The LED torch. The first switch-on builds the capture session that keeps the camera LED lit;
// later calls only change the LED's modes. The session lives as long as the controller, and the
// application's logic never stops it: the platform layer switches the LED off when the process
// ends (platform/TorchGuard.h).

#include "screen/TorvaneViewController.h"

#include "platform/torch/CaptureDevice.h"
#include "platform/torch/CaptureSession.h"

namespace torvane::screen {

namespace {

using platform::CaptureDevice;
using platform::FlashMode;
using platform::MediaType;
using platform::TorchMode;

// The platform hands out one device object, so each call below reaches the same LED; ours is a
// value whose lock belongs to it, so a step takes the device once and keeps it for the whole
// lock, modes, unlock sequence.
std::optional<CaptureDevice> defaultVideoDevice(platform::LedAccess& access) {
    return CaptureDevice::defaultDeviceWithMediaType(access, MediaType::Video);
}

// Whether the lock was granted is not examined: a refused lock makes the mode changes write
// nothing, so the LED stays as it was and the start goes on.
void setLedModes(CaptureDevice& device, TorchMode torch, FlashMode flash) {
    device.lockForConfiguration();
    device.setTorchMode(torch);
    device.setFlashMode(flash);
    device.unlockForConfiguration();
}

} // namespace

void TorvaneViewController::iPhone4LedToggle() {
    if (deviceIsiPhone4 != 1 || canCaptureAVSessions != 1)
        return;

    if (iPhone4LedIsOn == 1) {
        iPhone4LedIsOn = 0;
        if (auto device = defaultVideoDevice(m_environment.context.leds))
            setLedModes(*device, TorchMode::Off, FlashMode::Off);
        return;
    }

    iPhone4LedIsOn = 1;
    if (iphoneLEDInit == 1) {
        if (auto device = defaultVideoDevice(m_environment.context.leds))
            setLedModes(*device, TorchMode::On, FlashMode::On);
        return;
    }

    iphoneLEDInit = 1;
    session = std::make_shared<platform::CaptureSession>(m_environment.context.trace);
    session->beginConfiguration();
    // Without an LED that is both torch and flash the session stays begun but never runs; the
    // flags above still say "on", so the toggles keep their rhythm.
    if (auto device = defaultVideoDevice(m_environment.context.leds);
        device && device->hasTorch() && device->hasFlash()) {
        // The LED is lit before the session is attached and started, so the light comes first.
        setLedModes(*device, TorchMode::On, FlashMode::On);
        if (auto input = platform::CaptureDeviceInput::deviceInputWithDevice(*device))
            session->addInput(std::move(*input));
        session->addOutput(platform::VideoDataOutput{});
        session->commitConfiguration();
        // Starting guards the torch: from here on the LED goes off when the process ends.
        session->startRunning();
    }
    setTorchSession(session);
}

} // namespace torvane::screen
