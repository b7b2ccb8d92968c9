#pragma once

// The kernel's LED class (/sys/class/leds), where a Linux phone's camera LED lives: finding the
// torch among the LEDs and writing its brightness.
//
// Mapping of the platform's capture device onto the LED class:
// - A candidate is an LED whose function, the part of its name after the last colon, is "flash"
//   or "torch" (PinePhone: "white:flash"; Librem 5: "lm3560:torch" and "lm3560:flash", two LEDs
//   of one chip; OnePlus 6: "white:flash" and "yellow:flash"), or one of the names that
//   Android-derived kernels give a torch ("led:flash_torch", "led:torch_0", "led:torch_1",
//   "torch-light", "torch-light0", "torch-light1", "flashlight"), which count as torches.
// - The torch is the best candidate: a white one first (its `color` attribute, or "white" in the
//   name before the last colon), then a torch before a flash (of one chip, the torch LED is the one
//   meant for steady light), then by name, so the choice does not depend on the order of the folder.
// - The device has a flash when the torch or another candidate of its chip (same name before the
//   last colon) belongs to the LED flash class, which is what `flash_brightness` marks.

#include <optional>
#include <string>

namespace torvane::platform {

inline constexpr const char* defaultLedRoot = "/sys/class/leds";
inline constexpr const char* ledRootVariable = "TORVANE_LEDS";

// The folder searched for LEDs: $TORVANE_LEDS (which is how the command line's `--leds DIR`
// arrives), else /sys/class/leds.
[[nodiscard]] std::string ledRoot();

struct TorchLed {
    std::string name;      // "white:flash"
    std::string directory; // ledRoot()/name
    int maxBrightness{1};
    // The torch or a sibling of its chip is an LED of the flash class.
    bool hasFlash{false};

    [[nodiscard]] std::string brightnessPath() const { return directory + "/brightness"; }
};

// std::nullopt when `root` holds no flash or torch LED (or cannot be read): no torch is a state.
[[nodiscard]] std::optional<TorchLed> findTorchLed(const std::string& root);

// Whether `root` holds a torch at all: a machine without one is outside the LED class (DeviceClass.h).
[[nodiscard]] bool torchLedExists(const std::string& root);

// The brightness the LED holds now; std::nullopt when it cannot be read.
[[nodiscard]] std::optional<int> readBrightness(const TorchLed& led);

// Replaces the contents of an open `brightness` with `value`. Async-signal-safe, so that the
// signal handlers and the watchdog can switch the torch off.
bool writeBrightness(int fd, int value) noexcept;

} // namespace torvane::platform
