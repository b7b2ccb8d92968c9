#include "platform/audio/SoundFile.h"

#include "platform/core/UniqueFd.h"

#include <SDL.h>
#include <mpg123.h>

#include <cstring>
#include <fcntl.h>
#include <memory>

namespace torvane::platform {

namespace {

struct Pcm {
    SDL_AudioFormat format{AUDIO_S16SYS};
    int channels{0};
    int rate{0};
    std::vector<Uint8> bytes;
};

bool isWav(const std::string& path) {
    char head[12]{};
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return file && ::read(file.get(), head, sizeof head) == ssize_t(sizeof head) &&
           std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

bool readWav(const std::string& path, Pcm& pcm, std::string& whyNot) {
    SDL_AudioSpec wav{};
    Uint8* bytes = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &wav, &bytes, &length)) {
        whyNot = SDL_GetError();
        return false;
    }
    pcm = {wav.format, wav.channels, wav.freq, std::vector<Uint8>(bytes, bytes + length)};
    SDL_FreeWAV(bytes);
    return true;
}

struct Mpg123Delete {
    void operator()(mpg123_handle* handle) const noexcept { mpg123_delete(handle); }
};

bool readMp3(const std::string& path, Pcm& pcm, std::string& whyNot) {
    int error = MPG123_OK;
    std::unique_ptr<mpg123_handle, Mpg123Delete> mp3(mpg123_new(nullptr, &error));
    if (!mp3) {
        whyNot = mpg123_plain_strerror(error);
        return false;
    }
    mpg123_param(mp3.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // Signed 16-bit at the file's own rate and channels; SDL converts the rest.
    mpg123_format_none(mp3.get());
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(mp3.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open(mp3.get(), path.c_str()) != MPG123_OK ||
        mpg123_getformat(mp3.get(), &rate, &channels, &encoding) != MPG123_OK) {
        whyNot = mpg123_strerror(mp3.get());
        return false;
    }
    // No new format may come mid-stream.
    mpg123_format_none(mp3.get());
    mpg123_format(mp3.get(), rate, channels, encoding);
    pcm = {AUDIO_S16SYS, channels, int(rate), {}};
    unsigned char block[16384];
    for (;;) {
        std::size_t got = 0;
        int result = mpg123_read(mp3.get(), block, sizeof block, &got);
        pcm.bytes.insert(pcm.bytes.end(), block, block + got);
        if (result == MPG123_DONE)
            break;
        if (result != MPG123_OK) {
            whyNot = mpg123_strerror(mp3.get());
            return false;
        }
    }
    mpg123_close(mp3.get());
    return true;
}

// 16-bit samples at the device's rate, mono or stereo: the effects' own format, made stereo here
// without SDL, so that it may be done beside the main thread.
bool isPlainFormat(const Pcm& pcm) {
    return pcm.format == AUDIO_S16SYS && pcm.rate == soundRate && (pcm.channels == 1 || pcm.channels == 2);
}

std::shared_ptr<const DecodedSound> plainToDeviceFormat(const Pcm& pcm, std::string& whyNot) {
    const std::size_t frames = pcm.bytes.size() / sizeof(std::int16_t) / std::size_t(pcm.channels);
    if (frames == 0) {
        whyNot = "the file holds no sound";
        return nullptr;
    }
    auto sound = std::make_shared<DecodedSound>();
    sound->samples.resize(frames * soundChannels);
    if (pcm.channels == soundChannels) {
        std::memcpy(sound->samples.data(), pcm.bytes.data(), sound->samples.size() * sizeof(std::int16_t));
        return sound;
    }
    for (std::size_t frame = 0; frame < frames; ++frame) {
        std::int16_t sample = 0;
        std::memcpy(&sample, pcm.bytes.data() + frame * sizeof sample, sizeof sample);
        sound->samples[frame * soundChannels] = sound->samples[frame * soundChannels + 1] = sample;
    }
    return sound;
}

std::shared_ptr<const DecodedSound> toDeviceFormat(Pcm& pcm, std::string& whyNot) {
    if (isPlainFormat(pcm))
        return plainToDeviceFormat(pcm, whyNot);
    SDL_AudioCVT convert{};
    if (SDL_BuildAudioCVT(&convert, pcm.format, Uint8(pcm.channels), pcm.rate, AUDIO_S16SYS, soundChannels,
                          soundRate) < 0) {
        whyNot = SDL_GetError();
        return nullptr;
    }
    const int length = int(pcm.bytes.size());
    if (convert.needed) {
        pcm.bytes.resize(std::size_t(length) * std::size_t(convert.len_mult));
        convert.buf = pcm.bytes.data();
        convert.len = length;
        if (SDL_ConvertAudio(&convert) != 0) {
            whyNot = SDL_GetError();
            return nullptr;
        }
        pcm.bytes.resize(std::size_t(convert.len_cvt));
    }
    auto sound = std::make_shared<DecodedSound>();
    sound->samples.resize(pcm.bytes.size() / sizeof(std::int16_t) / soundChannels * soundChannels);
    std::memcpy(sound->samples.data(), pcm.bytes.data(), sound->samples.size() * sizeof(std::int16_t));
    if (sound->samples.empty()) {
        whyNot = "the file holds no sound";
        return nullptr;
    }
    return sound;
}

} // namespace

std::shared_ptr<const DecodedSound> decodeSoundFile(const std::string& path, std::string& whyNot) {
    Pcm pcm;
    bool read = isWav(path) ? readWav(path, pcm, whyNot) : readMp3(path, pcm, whyNot);
    return read ? toDeviceFormat(pcm, whyNot) : nullptr;
}

std::shared_ptr<const DecodedSound> decodeSoundFileWithoutSdl(const std::string& path, std::string& whyNot) {
    Pcm pcm;
    if (isWav(path)) {
        whyNot = "a WAV file is read by SDL";
        return nullptr;
    }
    if (!readMp3(path, pcm, whyNot))
        return nullptr;
    if (!isPlainFormat(pcm)) {
        whyNot = "converted by SDL";
        return nullptr;
    }
    return plainToDeviceFormat(pcm, whyNot);
}

} // namespace torvane::platform
