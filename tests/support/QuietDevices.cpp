// Linked into every test program that starts the screen's controller. A start reports the install
// to the build's host, lights the phone's torch and opens the audio device; a test run must reach
// no host but the loopback, leave the machine's LEDs alone and make no noise. So the start is
// pointed at a loopback port where nothing listens, a folder without LEDs and SDL's silent audio
// driver before any test runs. Tests that want a server, an LED tree or a driver set their own.

#include <cstdlib>

namespace {

[[maybe_unused]] const bool quietDevices = [] {
    ::setenv("TORVANE_INSTALL_HOST", "127.0.0.1:9", 1);
    ::setenv("TORVANE_LEDS", "/nonexistent/torvane-test-leds", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    return true;
}();

} // namespace
