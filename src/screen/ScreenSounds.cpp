// The sound effects: the audio session, the nine players made once at start, the lens click and
// the rule that the sound switch silences the effects.
//
// Every player is created in `init`, of sounds the application has had decoded while the screen
// opened (SoundEffects.h), so nothing is read or decoded at a touch. A sound file that is missing
// or cannot be decoded leaves its player absent, and an absent player plays nothing; the rest of
// the screen works the same.

#include "screen/TorvaneViewController.h"

#include "platform/audio/AudioSession.h"
#include "platform/audio/SoundPlayer.h"
#include "platform/storage/ResourceBundle.h"
#include "platform/storage/SettingsStore.h"
#include "screen/SoundEffects.h"
#include "screen/StoredKeys.h"

#include <optional>
#include <string>

namespace torvane::screen {

namespace {

using platform::SoundPlayer;

// The filled slots of the lens-pick pool; the clicks rotate through them.
constexpr std::int32_t clickPlayers = 5;

// A player preloaded to play once at `volume`. `name` is the controller's field, as the trace
// shows it. The controller answers none of the player's delegate messages, so none is set.
std::unique_ptr<SoundPlayer> preparedPlayer(platform::AudioOutputs& outputs,
                                            const std::optional<std::string>& path, std::string name,
                                            float volume) {
    if (!path)
        return nullptr;
    auto player = SoundPlayer::playerWithContentsOfFile(outputs, *path, std::move(name));
    if (!player)
        return nullptr;
    player->setVolume(volume);
    player->setNumberOfLoops(0);
    player->prepareToPlay();
    return player;
}

} // namespace

void TorvaneViewController::setUpAudioSession() {
    // With other audio playing the effects mix under it ('ambi'); otherwise they take the audio
    // alone ('solo'). On Linux the sound server mixes every client whichever is chosen; the
    // category is still set, so the trace shows the platform's rule at work. When the query cannot
    // tell, it answers "nothing plays", which picks 'solo'.
    auto category = platform::AudioSession::otherAudioIsPlaying() ? platform::AudioCategory::AmbientSound
                                                                  : platform::AudioCategory::SoloAmbientSound;
    platform::AudioSession::setCategory(m_environment.context.trace, category);
    platform::AudioSession::setActive(true);
}

void TorvaneViewController::createSoundPlayers() {
    // Three players of one file, so the lens, dismiss and show sounds can overlap.
    auto& outputs = m_environment.context.audio;
    auto flipBoard = platform::pathForResource(m_environment.context.trace, flipBoardSound, soundEffectType);
    audioPlayerLowerLensCover = preparedPlayer(outputs, flipBoard, "audioPlayerLowerLensCover", 1.0f);
    audioPlayerDismissTray = preparedPlayer(outputs, flipBoard, "audioPlayerDismissTray", 1.0f);
    audioPlayerShowTray = preparedPlayer(outputs, flipBoard, "audioPlayerShowTray", 1.0f);

    auto trayUp = platform::pathForResource(m_environment.context.trace, trayUpSound, soundEffectType);
    audioPlayerFlipTrayUp = preparedPlayer(outputs, trayUp, "audioPlayerFlipTrayUp", 0.1f);

    // One player per click of a quick run of five, so no click cuts another short. Counted with
    // `x`, which leaves it at 5: the first lens click after start uses slot 0.
    auto click = platform::pathForResource(m_environment.context.trace, clickSound, soundEffectType);
    for (x = 0; x < clickPlayers; ++x) {
        audioPlayerPickLensCover[std::size_t(x)] =
            preparedPlayer(outputs, click, "audioPlayerPickLensCover[" + std::to_string(x) + "]", 0.5f);
    }
}

void TorvaneViewController::playButtonPushSound() {
    // After the last slot of the pool comes the first again.
    x = x >= clickPlayers - 1 ? 0 : x + 1;
    // `x` is public state; a value from outside the pool plays nothing rather than reading past it.
    if (x >= 0 && std::size_t(x) < audioPlayerPickLensCover.size())
        playEffect(audioPlayerPickLensCover[std::size_t(x)].get());

    // The lens choice is stored here, with or without sound.
    auto& store = fetchDefaults();
    store.setObject(lensTypeStr, lensKey);
    store.synchronize();
}

void TorvaneViewController::playEffect(SoundPlayer* player) {
    if (soundFxOn == 1 && player)
        player->play();
}

} // namespace torvane::screen
