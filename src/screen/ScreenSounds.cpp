// The audio session and the sound players. Playback comes with the sounds' own work; until then
// the session is not set up and every player stays absent, which plays nothing.

#include "screen/TorvaneViewController.h"

namespace torvane::screen {

void TorvaneViewController::setUpAudioSession() {}

void TorvaneViewController::createSoundPlayers() {
    // The pool is counted with `x`, so the first lens click after start uses slot 0.
    for (x = 0; x < 5; ++x)
        audioPlayerPickLensCover[std::size_t(x)].reset();
}

} // namespace torvane::screen
