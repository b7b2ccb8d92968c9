#pragma once

// The audio device, opened with SDL2_mixer and shared by every sound player; it closes when the
// last player goes. `AudioOutputs` hands out the open one, or opens it anew. No audio device (a server, CI: SDL's open fails there with an ALSA error) is a
// state: the output exists but is silent, and one console line says so.

#include "platform/core/Trace.h"

#include <memory>
#include <mutex>

namespace torvane::platform {

class AudioOutput {
  public:
    // Opens the device; when it cannot, says why on `log` (null: says nothing).
    explicit AudioOutput(Trace* log);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    [[nodiscard]] bool isOpen() const { return m_open; }
    // A mixer channel of its own for one player, so that players overlap; -1 when silent.
    [[nodiscard]] int allocateChannel();

  private:
    std::mutex m_mutex;
    bool m_open{false};
    int m_channels{0};
};

class AudioOutputs {
  public:
    explicit AudioOutputs(Trace& trace) : m_trace(trace) {}

    // The open output, or a new one when none is held by a player.
    [[nodiscard]] std::shared_ptr<AudioOutput> shared();
    [[nodiscard]] Trace& trace() const { return m_trace; }

  private:
    Trace& m_trace;
    std::mutex m_mutex;
    std::weak_ptr<AudioOutput> m_current;
    // A silent output is reported once, not each time the device is tried again.
    bool m_toldSilent{false};
};

} // namespace torvane::platform
