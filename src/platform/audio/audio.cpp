#include "platform/audio/audio.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/init_arguments.h"
#include "platform/audio/mp3_stream.h"
#include "platform/audio/playback_stream.h"
#include "platform/audio/wav_writer.h"

namespace audio {
namespace {

constexpr int kBytesPerFrame = kDecodeChannels * static_cast<int>(sizeof(float));
constexpr int kDeviceBufferFrames = 1024;  // power of two: SDL's dummy driver paces these well
constexpr uint64_t kBadPosition = static_cast<uint64_t>(-1);

struct Library {
    std::mutex mutex;  // guards everything below against the audio callback
    Config config;
    bool initialized = false;
    SDL_AudioDeviceID device = 0;
    bool sdlAudioStarted = false;
    int64_t periodFrames = 0;
    std::map<Handle, std::unique_ptr<PlaybackStream>> streams;
    Handle nextHandle = 1;
    WavWriter wav;
    double manualCarry = 0.0;
    std::vector<float> mixBuffer;
};

Library& Lib() {
    static Library library;
    return library;
}

double Now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

PlaybackStream* Find(Handle handle) {
    auto it = Lib().streams.find(handle);
    return it == Lib().streams.end() ? nullptr : it->second.get();
}

void Callback(void*, Uint8* stream, int len) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    auto* out = reinterpret_cast<float*>(stream);
    const int64_t frames = len / kBytesPerFrame;
    std::fill(out, out + len / static_cast<int>(sizeof(float)), 0.0f);
    const double now = Now();
    for (auto& [handle, s] : lib.streams) s->Mix(out, frames, now);
}

SDL_AudioDeviceID OpenDevice(int64_t* periodFrames) {
    SDL_AudioSpec want{};
    want.freq = kDecodeRate;
    want.format = AUDIO_F32SYS;
    want.channels = kDecodeChannels;
    want.samples = kDeviceBufferFrames;
    want.callback = Callback;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device != 0) *periodFrames = have.samples;
    return device;
}

bool StartSdlAudio(Library& lib) {
    const char* chosen = std::getenv("SDL_AUDIODRIVER");
    const bool driverChosen = chosen && *chosen;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        lib.sdlAudioStarted = true;
        lib.device = OpenDevice(&lib.periodFrames);
        if (lib.device != 0) return true;
    }
    std::string why = SDL_GetError();
    if (driverChosen) {
        std::fprintf(stderr, "audio: cannot open an audio device with SDL_AUDIODRIVER=%s: %s\n",
                     chosen, why.c_str());
        return false;
    }
    std::fprintf(stderr,
                 "audio: no audio device could be opened (%s); playing silently through SDL's "
                 "dummy driver\n",
                 why.c_str());
    // Swap the driver in place: the subsystem count (if it started) stays as it is.
    if (lib.sdlAudioStarted) SDL_AudioQuit();
    if (SDL_AudioInit("dummy") != 0 || (lib.device = OpenDevice(&lib.periodFrames)) == 0) {
        std::fprintf(stderr, "audio: SDL's dummy audio driver failed too: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void StopSdlAudio(Library& lib) {
    if (lib.device != 0) SDL_CloseAudioDevice(lib.device);
    lib.device = 0;
    if (lib.sdlAudioStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    else
        SDL_AudioQuit();
    lib.sdlAudioStarted = false;
}

}  // namespace

void Configure(Config config) {
    std::lock_guard lock(Lib().mutex);
    Lib().config = std::move(config);
}

bool Init(int device, uint32_t frequency, uint32_t /*flags: latency measurement is not needed*/) {
    Library& lib = Lib();
    if (!InitArgumentsOk(lib.initialized, device, frequency)) return false;
    lib.manualCarry = 0.0;
    if (lib.config.manualClock) {
        lib.periodFrames = 0;
        if (!lib.config.wavOutput.empty()) {
            std::string error;
            if (!lib.wav.Open(lib.config.wavOutput, kDecodeRate, &error)) {
                std::fprintf(stderr, "audio: %s\n", error.c_str());
                return false;
            }
        }
    } else if (!StartSdlAudio(lib)) {
        StopSdlAudio(lib);
        return false;
    } else {
        SDL_PauseAudioDevice(lib.device, 0);
    }
    lib.initialized = true;
    return true;
}

Handle StreamCreateFile(
    bool fromMemory, const char* path, uint64_t offset, uint64_t length,
    uint32_t /*flags: the whole file is always scanned (exact length, seek index)*/) {
    Library& lib = Lib();
    if (!lib.initialized) {
        std::fprintf(stderr, "audio: StreamCreateFile before Init\n");
        return 0;
    }
    if (fromMemory || offset != 0 || length != 0) {
        std::fprintf(
            stderr,
            "audio: only whole files can be opened (no memory streams, offsets or lengths)\n");
        return 0;
    }
    auto source = std::make_unique<Mp3Stream>();
    std::string error, warning;
    if (!source->Open(path, &error, &warning)) {
        std::fprintf(stderr, "audio: cannot create a stream: %s\n", error.c_str());
        return 0;
    }
    // One line per note (each damaged stretch, a truncated end).
    for (size_t from = 0; from < warning.size();) {
        const size_t end = std::min(warning.find('\n', from), warning.size());
        std::fprintf(stderr, "audio: warning: %.*s\n", static_cast<int>(end - from),
                     warning.data() + from);
        from = end + 1;
    }
    auto stream = std::make_unique<PlaybackStream>(std::move(source), lib.periodFrames);
    std::lock_guard lock(lib.mutex);
    const Handle handle = lib.nextHandle++;
    if (lib.nextHandle == 0) lib.nextHandle = 1;
    lib.streams[handle] = std::move(stream);
    return handle;
}

bool Start() {
    Library& lib = Lib();
    if (!lib.initialized) return false;
    if (lib.device != 0) SDL_PauseAudioDevice(lib.device, 0);
    return true;
}

bool ChannelPlay(Handle handle, bool restart) {
    std::lock_guard lock(Lib().mutex);
    PlaybackStream* s = Find(handle);
    if (!s) return false;
    s->Play(restart, Now());
    return true;
}

bool ChannelPause(Handle handle) {
    std::lock_guard lock(Lib().mutex);
    PlaybackStream* s = Find(handle);
    return s && s->Pause(Now());
}

uint64_t ChannelGetPosition(Handle handle, uint32_t mode) {
    std::lock_guard lock(Lib().mutex);
    PlaybackStream* s = Find(handle);
    if (!s || mode != BASS_POS_BYTE) return kBadPosition;
    return static_cast<uint64_t>(s->Position(Now())) * kBytesPerFrame;
}

double ChannelBytes2Seconds(Handle handle, uint64_t bytes) {
    std::lock_guard lock(Lib().mutex);
    if (!Find(handle)) return -1.0;
    return static_cast<double>(bytes / kBytesPerFrame) / kDecodeRate;
}

uint64_t ChannelSeconds2Bytes(Handle handle, double seconds) {
    std::lock_guard lock(Lib().mutex);
    if (!Find(handle)) return kBadPosition;
    if (!(seconds > 0.0)) return 0;
    const double frames = std::round(seconds * kDecodeRate);
    if (frames >= 9.0e15) return kBadPosition;
    return static_cast<uint64_t>(frames) * kBytesPerFrame;
}

bool ChannelSetPosition(Handle handle, uint64_t bytes, uint32_t mode) {
    std::lock_guard lock(Lib().mutex);
    PlaybackStream* s = Find(handle);
    if (!s || mode != BASS_POS_BYTE) return false;
    const uint64_t frame = bytes / kBytesPerFrame;
    if (frame > static_cast<uint64_t>(s->Length())) return false;
    return s->SetPosition(static_cast<int64_t>(frame), Now());
}

uint32_t ChannelIsActive(Handle handle) {
    std::lock_guard lock(Lib().mutex);
    PlaybackStream* s = Find(handle);
    if (!s) return BASS_ACTIVE_STOPPED;
    switch (s->StateAt(Now())) {
        case PlaybackStream::State::Playing:
            return BASS_ACTIVE_PLAYING;
        case PlaybackStream::State::Paused:
            return BASS_ACTIVE_PAUSED;
        case PlaybackStream::State::Stopped:
            break;
    }
    return BASS_ACTIVE_STOPPED;
}

uint64_t ChannelGetLength(Handle handle) {
    std::lock_guard lock(Lib().mutex);
    PlaybackStream* s = Find(handle);
    return s ? static_cast<uint64_t>(s->Length()) * kBytesPerFrame : kBadPosition;
}

bool ChannelSetLoop(Handle handle, uint64_t startBytes, uint64_t endBytes) {
    std::lock_guard lock(Lib().mutex);
    PlaybackStream* s = Find(handle);
    auto frame = [](uint64_t bytes) {
        return static_cast<int64_t>(std::min<uint64_t>(bytes / kBytesPerFrame, INT64_MAX));
    };
    return s && s->SetLoop(frame(startBytes), frame(endBytes));
}

bool Update() {
    return Lib().initialized;
}

bool StreamFree(Handle handle) {
    Library& lib = Lib();
    std::unique_ptr<PlaybackStream> dying;  // destroyed outside the lock
    std::lock_guard lock(lib.mutex);
    auto it = lib.streams.find(handle);
    if (it == lib.streams.end()) return false;
    dying = std::move(it->second);
    lib.streams.erase(it);
    if (lib.wav.IsOpen()) lib.wav.Flush();
    return true;
}

bool Free() {
    Library& lib = Lib();
    if (!lib.initialized) return false;
    StopSdlAudio(lib);  // no callback runs after this
    std::lock_guard lock(lib.mutex);
    lib.streams.clear();
    lib.wav.Close();
    lib.initialized = false;
    return true;
}

void AdvanceManualClock(double seconds) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (!lib.initialized || !lib.config.manualClock || !(seconds > 0.0)) return;
    const double exact = seconds * kDecodeRate + lib.manualCarry;
    // The small bias keeps steps such as 1/60 s (735 frames, computed a hair below) whole.
    int64_t frames = static_cast<int64_t>(std::floor(exact + 1e-7));
    lib.manualCarry = exact - static_cast<double>(frames);
    constexpr int64_t kChunk = 4096;
    lib.mixBuffer.resize(kChunk * kDecodeChannels);
    while (frames > 0) {
        const int64_t n = std::min(frames, kChunk);
        // Without a WAV to write, the streams move on without decoding.
        float* mix = lib.wav.IsOpen() ? lib.mixBuffer.data() : nullptr;
        if (mix) std::fill(lib.mixBuffer.begin(), lib.mixBuffer.end(), 0.0f);
        int64_t covered = 0;
        for (auto& [handle, s] : lib.streams) covered = std::max(covered, s->Mix(mix, n, 0.0));
        if (lib.wav.IsOpen() && covered > 0 && !lib.wav.Append(lib.mixBuffer.data(), covered)) {
            std::fprintf(stderr, "audio: writing the WAV output failed; it is closed\n");
            lib.wav.Close();
        }
        frames -= n;
    }
}

}  // namespace audio
