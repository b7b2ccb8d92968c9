#include "platform/audio/SoundPlayer.h"

#include "platform/core/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>

namespace torvane::platform {

SoundPlayer::SoundPlayer(Trace& trace, std::string name, std::shared_ptr<AudioOutput> output)
    : m_trace(trace), m_name(std::move(name)), m_output(std::move(output)) {}

std::unique_ptr<SoundPlayer>
SoundPlayer::playerWithContentsOfFile(AudioOutputs& outputs, const std::string& path, std::string name) {
    Trace& trace = outputs.trace();
    // Checked even without an audio device, so that a missing file is the same state everywhere.
    if (!UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC))) {
        trace.log("sound: cannot read " + path + ": " + std::strerror(errno));
        return nullptr;
    }
    std::unique_ptr<SoundPlayer> player(new SoundPlayer(trace, std::move(name), outputs.shared()));
    if (!player->m_output->mayPlay())
        return player;
    std::string whyNot;
    player->m_sound = outputs.decodedAhead(path);
    if (!player->m_sound)
        player->m_sound = player->m_output->decode(path, whyNot);
    if (!player->m_sound) {
        trace.log("sound: cannot decode " + path + ": " + whyNot);
        return nullptr;
    }
    player->m_channel = player->m_output->allocateChannel();
    return player;
}

SoundPlayer::~SoundPlayer() {
    stop();
}

void SoundPlayer::setVolume(float volume) {
    m_volume = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    if (m_sound && isPlaying())
        m_output->setVolume(m_channel, m_volume);
}

bool SoundPlayer::play() {
    m_trace.record("sound.play", {{"player", m_name}});
    if (!m_sound || m_channel < 0)
        return false;
    if (isPlaying())
        return true;
    return m_output->play(m_channel, *m_sound, m_numberOfLoops, m_volume);
}

void SoundPlayer::stop() {
    if (m_sound)
        m_output->stop(m_channel);
}

bool SoundPlayer::isPlaying() {
    return m_sound && m_output->isPlaying(m_channel, *m_sound);
}

} // namespace torvane::platform
