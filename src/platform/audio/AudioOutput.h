#pragma once

// The audio device, opened once with SDL2_mixer and shared by every sound player; it closes when the
// last player goes. No audio device (a server, CI: SDL's open fails there with an ALSA error) is a
// state: the output exists but is silent, and one console line says so.

#include <memory>

namespace torvane::platform {

class AudioOutput {
  public:
    // The open output, or a new one when none is held by a player.
    [[nodiscard]] static std::shared_ptr<AudioOutput> shared();

    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    [[nodiscard]] bool isOpen() const { return m_open; }
    // A mixer channel of its own for one player, so that players overlap; -1 when silent.
    [[nodiscard]] int allocateChannel();

  private:
    AudioOutput();

    bool m_open{false};
    int m_channels{0};
};

} // namespace torvane::platform
