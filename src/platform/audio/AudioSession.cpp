#include "platform/audio/AudioSession.h"

#include "platform/core/SmallFile.h"

#include <filesystem>

namespace torvane::platform {

namespace {

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A playback substream's status file reads "state: RUNNING" while it plays.
bool substreamRuns(const std::filesystem::path& status) {
    auto text = readSmallFile(status);
    for (std::string_view line : text ? linesOf(*text) : std::vector<std::string_view>()) {
        if (line.starts_with("state:"))
            return line.find("RUNNING") != std::string_view::npos;
    }
    return false;
}

} // namespace

const char* audioCategoryCode(AudioCategory category) {
    return category == AudioCategory::AmbientSound ? "ambi" : "solo";
}

bool AudioSession::otherAudioIsPlaying(const std::string& asoundRoot) {
    namespace fs = std::filesystem;
    std::error_code error;
    // /proc/asound/cardN/pcmMp/subK/status: playback ("p") substreams only.
    for (fs::directory_iterator card(asoundRoot, error), end; !error && card != end; card.increment(error)) {
        if (!startsWith(card->path().filename().string(), "card"))
            continue;
        std::error_code inner;
        for (fs::directory_iterator pcm(card->path(), inner); !inner && pcm != end; pcm.increment(inner)) {
            auto pcmName = pcm->path().filename().string();
            if (!startsWith(pcmName, "pcm") || pcmName.back() != 'p')
                continue;
            std::error_code innermost;
            for (fs::directory_iterator sub(pcm->path(), innermost); !innermost && sub != end;
                 sub.increment(innermost)) {
                if (startsWith(sub->path().filename().string(), "sub") &&
                    substreamRuns(sub->path() / "status"))
                    return true;
            }
        }
    }
    return false;
}

void AudioSession::setCategory(Trace& trace, AudioCategory category) {
    trace.record("audio.session", {{"category", audioCategoryCode(category)}});
}

void AudioSession::setActive(bool) {
    // Nothing to activate: the sound server takes the application's audio as it comes.
}

} // namespace torvane::platform
