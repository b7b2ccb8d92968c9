#pragma once

// A sound effect player (the role of AVAudioPlayer), on SDL's audio through its AudioOutput. Each player has
// its own channel, so players of the same file overlap; they share the file's decoded sound. The sound is
// decoded when the player is made: nothing is read or decoded at a touch.
//
//     auto player = SoundPlayer::playerWithContentsOfFile(outputs, path, "audioPlayerPickLensCover[2]");
//     if (player) { player->setVolume(0.5f); player->setNumberOfLoops(0); player->prepareToPlay(); }
//     ...
//     if (player) player->play();
//
// A missing or undecodable file gives no player. Without an audio device every player is silent:
// it exists (nothing can be decoded then, so only a missing file gives none), traces its
// `sound.play`, and plays nothing.

#include "platform/audio/AudioOutput.h"
#include "platform/audio/SoundFile.h"

#include <memory>
#include <string>

namespace torvane::platform {

class SoundPlayer {
  public:
    // `name` is the player's name in the trace (`sound.play` {player}). nullptr, with a console
    // line, when the file is missing or cannot be decoded.
    [[nodiscard]] static std::unique_ptr<SoundPlayer>
    playerWithContentsOfFile(AudioOutputs& outputs, const std::string& path, std::string name);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // 0 silent to 1 full; clamped.
    void setVolume(float volume);
    // 0 plays once, n plays n + 1 times, a negative number loops until stopped.
    void setNumberOfLoops(int loops) { m_numberOfLoops = loops; }
    // The sound is decoded already; kept for the role's sake. True when the player can sound
    // (while the device is being opened, when it may).
    bool prepareToPlay() { return m_sound && m_channel >= 0 && m_output->mayPlay(); }
    // Starts the sound; a player that is playing keeps playing, it does not start over.
    // Traces `sound.play` every time, even when silent. False when nothing sounds.
    bool play();
    void stop();

    [[nodiscard]] bool isPlaying();
    [[nodiscard]] float volume() const { return m_volume; }
    [[nodiscard]] int numberOfLoops() const { return m_numberOfLoops; }
    [[nodiscard]] const std::string& name() const { return m_name; }

  private:
    SoundPlayer(Trace& trace, std::string name, std::shared_ptr<AudioOutput> output);

    Trace& m_trace;
    std::string m_name;
    std::shared_ptr<AudioOutput> m_output;
    std::shared_ptr<const DecodedSound> m_sound; // nullptr when silent
    int m_channel{-1};
    float m_volume{1.0f};
    int m_numberOfLoops{0};
};

} // namespace torvane::platform
