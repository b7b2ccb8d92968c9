#pragma once

// Trees of files made to look like the kernel's /sys/class/leds, for the phones we know.

#include "../support/TemporaryFolder.h"

#include <filesystem>
#include <string>

enum class FlashClass { No, Yes };

// An LED, off; `color`, when not empty, is written as its `color` attribute.
inline void addLed(const TemporaryFolder& tree, const std::string& name, int maxBrightness,
                   FlashClass flashClass = FlashClass::No, const std::string& color = {}) {
    tree.write(name + "/brightness", "0\n");
    tree.write(name + "/max_brightness", std::to_string(maxBrightness) + "\n");
    tree.write(name + "/trigger", "[none] timer heartbeat\n");
    if (flashClass == FlashClass::Yes) {
        tree.write(name + "/flash_brightness", "0\n");
        tree.write(name + "/flash_strobe", "0\n");
        tree.write(name + "/flash_timeout", "250000\n");
    }
    if (!color.empty())
        tree.write(name + "/color", color + "\n");
}

// PinePhone: one white flash LED (sgm3140), beside the notification LEDs.
inline void makePinePhone(const TemporaryFolder& tree) {
    addLed(tree, "white:flash", 1, FlashClass::Yes);
    addLed(tree, "red:indicator", 1);
    addLed(tree, "green:indicator", 1);
    addLed(tree, "blue:indicator", 1);
}

// Librem 5: one chip, a torch LED and a flash LED.
inline void makeLibrem5(const TemporaryFolder& tree) {
    addLed(tree, "lm3560:flash", 255, FlashClass::Yes);
    addLed(tree, "lm3560:torch", 255, FlashClass::No);
    addLed(tree, "input0::capslock", 1);
}

// OnePlus 6: a white and a yellow flash LED.
inline void makeOnePlus6(const TemporaryFolder& tree) {
    addLed(tree, "yellow:flash", 511, FlashClass::Yes);
    addLed(tree, "white:flash", 511, FlashClass::Yes);
}

inline std::string brightnessOf(const TemporaryFolder& tree, const std::string& name) {
    auto text = tree.read(name + "/brightness");
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}
