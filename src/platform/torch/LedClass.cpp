#include "platform/torch/LedClass.h"

#include "platform/core/SmallFile.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace torvane::platform {

namespace {

// The first line of a sysfs attribute, without trailing blanks.
std::optional<std::string> readAttribute(const std::filesystem::path& file) {
    auto text = readSmallFile(file);
    if (!text || text->empty())
        return std::nullopt;
    text->erase(std::min(text->find('\n'), text->size()));
    while (!text->empty() && (text->back() == ' ' || text->back() == '\r' || text->back() == '\t'))
        text->pop_back();
    return text;
}

std::optional<int> readNumber(const std::filesystem::path& file) {
    auto text = readAttribute(file);
    if (!text)
        return std::nullopt;
    char* end = nullptr;
    long value = std::strtol(text->c_str(), &end, 10);
    if (end == text->c_str() || value < 0 || value > 1'000'000)
        return std::nullopt;
    return int(value);
}

// Android-derived kernels (Qualcomm's, MediaTek's) name the torch rather than give it a function.
constexpr std::array<std::string_view, 7> androidTorchNames = {
    "led:flash_torch", "led:torch_0",  "led:torch_1", "torch-light",
    "torch-light0",    "torch-light1", "flashlight"};

struct Candidate {
    std::string name;
    std::string chip; // the name before the last colon
    bool torchFunction{false};
    bool white{false};
    bool flashClass{false};
};

std::optional<Candidate> candidateFor(const std::filesystem::path& directory) {
    Candidate candidate;
    candidate.name = directory.filename().string();
    auto colon = candidate.name.rfind(':');
    std::string function = colon == std::string::npos ? candidate.name : candidate.name.substr(colon + 1);
    bool androidTorch = std::find(androidTorchNames.begin(), androidTorchNames.end(), candidate.name) !=
                        androidTorchNames.end();
    if (function != "flash" && function != "torch" && !androidTorch)
        return std::nullopt;
    candidate.chip = colon == std::string::npos ? std::string() : candidate.name.substr(0, colon);
    candidate.torchFunction = function == "torch" || androidTorch;
    auto color = readAttribute(directory / "color");
    candidate.white = color ? *color == "white" : candidate.chip.find("white") != std::string::npos;
    std::error_code error;
    candidate.flashClass = std::filesystem::exists(directory / "flash_brightness", error);
    return candidate;
}

} // namespace

std::string ledRoot() {
    if (const char* fromEnvironment = std::getenv(ledRootVariable); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return defaultLedRoot;
}

std::optional<TorchLed> findTorchLed(const std::string& root) {
    std::vector<Candidate> candidates;
    std::error_code error;
    // The kernel's entries are symbolic links to the devices; made-up trees may use folders.
    for (std::filesystem::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (auto candidate = candidateFor(it->path()))
            candidates.push_back(std::move(*candidate));
    }
    if (candidates.empty())
        return std::nullopt;

    auto rank = [](const Candidate& c) { return std::tuple(!c.white, !c.torchFunction, c.name); };
    const Candidate& best =
        *std::min_element(candidates.begin(), candidates.end(),
                          [&](const Candidate& a, const Candidate& b) { return rank(a) < rank(b); });

    TorchLed led;
    led.name = best.name;
    led.directory = (std::filesystem::path(root) / best.name).string();
    led.maxBrightness = readNumber(std::filesystem::path(led.directory) / "max_brightness").value_or(1);
    if (led.maxBrightness < 1)
        led.maxBrightness = 1;
    led.hasFlash = std::any_of(candidates.begin(), candidates.end(), [&](const Candidate& c) {
        return c.flashClass && (c.name == best.name || (!best.chip.empty() && c.chip == best.chip));
    });
    return led;
}

bool torchLedExists(const std::string& root) {
    return findTorchLed(root).has_value();
}

std::optional<int> readBrightness(const TorchLed& led) {
    return readNumber(led.brightnessPath());
}

bool writeBrightness(int fd, int value) noexcept {
    if (fd < 0)
        return false;
    // Formatted by hand: snprintf is not async-signal-safe.
    char text[16];
    char* end = text + sizeof text;
    char* p = end;
    *--p = '\n';
    unsigned magnitude = value < 0 ? 0u : unsigned(value);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0 && p > text);
    auto length = size_t(end - p);
    // sysfs takes each write as a whole new value; a plain file (a made-up tree) needs the
    // truncation, or "0" over "255" would read "055".
    if (::pwrite(fd, p, length, 0) != ssize_t(length))
        return false;
    (void)::ftruncate(fd, off_t(length));
    return true;
}

} // namespace torvane::platform
