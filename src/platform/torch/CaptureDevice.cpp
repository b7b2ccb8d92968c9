#include "platform/torch/CaptureDevice.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace torvane::platform {

std::optional<CaptureDevice> CaptureDevice::defaultDeviceWithMediaType(LedAccess& access, MediaType) {
    auto led = findTorchLed(access.root());
    if (!led)
        return std::nullopt;
    return CaptureDevice(access, std::move(*led));
}

CaptureDevice::CaptureDevice(LedAccess& access, TorchLed led) : m_access(&access), m_led(std::move(led)) {
    if (readBrightness(m_led).value_or(0) > 0)
        m_torchMode = TorchMode::On;
}

bool CaptureDevice::lockForConfiguration() {
    if (isLockedForConfiguration())
        return true;
    m_requestedTorch.reset();
    m_requestedFlash.reset();
    auto path = m_led.brightnessPath();
    m_brightness.reset(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (m_brightness)
        return true;
    std::string fileError = std::strerror(errno);
    std::string busError;
    m_logind = m_access->logind(busError);
    if (m_logind)
        return true;
    m_access->tellCannotSwitch("led: cannot switch " + m_led.name + ": " + path + ": " + fileError + "; " +
                               busError);
    return false;
}

void CaptureDevice::setTorchMode(TorchMode mode) {
    m_requestedTorch = mode;
    if (!isLockedForConfiguration())
        return;
    // Lit at full brightness already (the start lights the torch early): writing 0 first would
    // only blink it.
    if (mode == TorchMode::On && readBrightness(m_led) == m_led.maxBrightness) {
        m_torchMode = mode;
        return;
    }
    bool written =
        mode == TorchMode::On ? setBrightness(0) && setBrightness(m_led.maxBrightness) : setBrightness(0);
    if (written)
        m_torchMode = mode;
}

void CaptureDevice::setFlashMode(FlashMode mode) {
    m_requestedFlash = mode;
    if (isLockedForConfiguration())
        m_flashMode = mode;
}

void CaptureDevice::unlockForConfiguration() {
    if (m_requestedTorch || m_requestedFlash) {
        int torch = int(m_requestedTorch.value_or(m_torchMode));
        int flash = int(m_requestedFlash.value_or(m_flashMode));
        m_access->trace().record("led", {{"torch", torch}, {"flash", flash}});
    }
    m_requestedTorch.reset();
    m_requestedFlash.reset();
    m_brightness.reset();
    m_logind.reset();
}

bool CaptureDevice::setBrightness(int value) {
    if (m_brightness) {
        if (writeBrightness(m_brightness.get(), value))
            return true;
        m_access->trace().log("led: cannot write " + m_led.brightnessPath() + ": " + std::strerror(errno));
        return false;
    }
    std::string whyNot;
    if (m_logind && m_logind->setLedBrightness(m_led.name, value, whyNot))
        return true;
    m_access->forgetLogind(m_logind);
    m_access->trace().log("led: logind refused the brightness of " + m_led.name + ": " + whyNot);
    return false;
}

} // namespace torvane::platform
