// audio in the browser: the calls of audio.h on Web Audio. The page (platform/web/page.js) decodes
// the soundtrack with the browser's own MP3 decoder and plays it from a source node on an audio
// context running at 44100 Hz; ContextPlayback keeps the state and the smooth position from the
// context's clock, with the native layer's rules (positions in bytes of 44100 Hz stereo float).
//
// Differences from the native layer: no manual clock or WAV output (Configure with them is
// reported and ignored), no loops, and a decoding failure is reported by the browser's reason.
#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "platform/audio/audio.h"
#include "platform/audio/context_playback.h"
#include "platform/audio/init_arguments.h"
#include "platform/audio/sample_source.h"
#include "platform/file/regular_file.h"

// clang-format off
EM_JS(int, vm_audio_open_context, (), { return vessmark.audio.openContext() ? 1 : 0; });
EM_ASYNC_JS(int, vm_audio_decode, (const uint8_t* bytes, int size, char* why, int whySize), {
    return await vessmark.audio.decode(HEAPU8.slice(bytes, bytes + size), why, whySize);
});
EM_JS(double, vm_audio_length, (int id), { return vessmark.audio.length(id); });
EM_JS(void, vm_audio_start, (int id, double frame), { vessmark.audio.start(id, frame); });
EM_JS(void, vm_audio_stop, (int id), { vessmark.audio.stop(id); });
EM_JS(void, vm_audio_release, (int id), { vessmark.audio.release(id); });
EM_JS(void, vm_audio_time, (double* out), { vessmark.audio.time(out); });
// clang-format on

namespace audio {
namespace {

constexpr uint64_t kBytesPerFrame = kDecodeChannels * sizeof(float);
constexpr uint64_t kBadPosition = static_cast<uint64_t>(-1);
// How far the position may run on past the context's last report: its updates come every render
// quantum or two (128 frames), a little late at worst.
constexpr int64_t kPeriodFrames = 1024;

struct Stream {
    int node;  // the page's id of the decoded buffer
    ContextPlayback playback;
};

struct Library {
    bool initialized = false;
    std::map<Handle, std::unique_ptr<Stream>> streams;
    Handle nextHandle = 1;
};

Library& Lib() {
    static Library library;
    return library;
}

ContextTime Now() {
    double t[4];
    vm_audio_time(t);
    return {t[0], t[1], t[2], t[3]};
}

Stream* Find(Handle handle) {
    auto it = Lib().streams.find(handle);
    return it == Lib().streams.end() ? nullptr : it->second.get();
}

void Apply(const Stream& stream, const NodeCommand& command) {
    if (command.kind == NodeCommand::Kind::Start)
        vm_audio_start(stream.node, static_cast<double>(command.frame));
    if (command.kind == NodeCommand::Kind::Stop) vm_audio_stop(stream.node);
}

bool ReadWhole(const char* path, std::vector<uint8_t>* bytes) {
    std::FILE* file = files::OpenRegular(path, "rb");
    if (file == nullptr) return false;
    uint8_t chunk[65536];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes->insert(bytes->end(), chunk, chunk + got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

}  // namespace

void Configure(Config config) {
    if (config.manualClock || !config.wavOutput.empty())
        std::fprintf(stderr, "audio: the browser plays in real time only; manual clock ignored\n");
}

bool Init(int device, uint32_t frequency, uint32_t /*flags*/) {
    Library& lib = Lib();
    if (!InitArgumentsOk(lib.initialized, device, frequency)) return false;
    if (vm_audio_open_context() == 0) {
        std::fprintf(stderr, "audio: the browser gives no audio context\n");
        return false;
    }
    lib.initialized = true;
    return true;
}

Handle StreamCreateFile(bool fromMemory, const char* path, uint64_t offset, uint64_t length,
                        uint32_t /*flags*/) {
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
    std::vector<uint8_t> bytes;
    if (path == nullptr || !ReadWhole(path, &bytes)) {
        std::fprintf(stderr, "audio: cannot create a stream: cannot open \"%s\"\n",
                     path != nullptr ? path : "");
        return 0;
    }
    char why[256] = "";
    const int node = vm_audio_decode(bytes.data(), static_cast<int>(bytes.size()), why, sizeof why);
    if (node <= 0) {
        std::fprintf(stderr, "audio: cannot create a stream: \"%s\": %s\n", path, why);
        return 0;
    }
    const auto frames = static_cast<int64_t>(vm_audio_length(node));
    const Handle handle = lib.nextHandle++;
    if (lib.nextHandle == 0) lib.nextHandle = 1;
    lib.streams[handle] =
        std::make_unique<Stream>(Stream{node, ContextPlayback(frames, kPeriodFrames)});
    return handle;
}

bool Start() {
    return Lib().initialized;
}

bool ChannelPlay(Handle handle, bool restart) {
    Stream* s = Find(handle);
    if (!s) return false;
    Apply(*s, s->playback.Play(restart, Now()));
    return true;
}

bool ChannelPause(Handle handle) {
    Stream* s = Find(handle);
    if (!s) return false;
    const NodeCommand command = s->playback.Pause(Now());
    Apply(*s, command);
    return command.kind == NodeCommand::Kind::Stop;
}

uint64_t ChannelGetPosition(Handle handle, uint32_t mode) {
    Stream* s = Find(handle);
    if (!s || mode != BASS_POS_BYTE) return kBadPosition;
    return static_cast<uint64_t>(s->playback.Position(Now())) * kBytesPerFrame;
}

double ChannelBytes2Seconds(Handle handle, uint64_t bytes) {
    if (!Find(handle)) return -1.0;
    return static_cast<double>(bytes / kBytesPerFrame) / kDecodeRate;
}

uint64_t ChannelSeconds2Bytes(Handle handle, double seconds) {
    if (!Find(handle)) return kBadPosition;
    if (!(seconds > 0.0)) return 0;
    const double frames = std::round(seconds * kDecodeRate);
    if (frames >= 9.0e15) return kBadPosition;
    return static_cast<uint64_t>(frames) * kBytesPerFrame;
}

bool ChannelSetPosition(Handle handle, uint64_t bytes, uint32_t mode) {
    Stream* s = Find(handle);
    if (!s || mode != BASS_POS_BYTE) return false;
    const uint64_t frame = bytes / kBytesPerFrame;
    if (frame > static_cast<uint64_t>(s->playback.Length())) return false;
    NodeCommand command;
    if (!s->playback.SetPosition(static_cast<int64_t>(frame), Now(), &command)) return false;
    Apply(*s, command);
    return true;
}

uint32_t ChannelIsActive(Handle handle) {
    Stream* s = Find(handle);
    if (!s) return BASS_ACTIVE_STOPPED;
    switch (s->playback.StateAt(Now())) {
        case ContextPlayback::State::Playing:
            return BASS_ACTIVE_PLAYING;
        case ContextPlayback::State::Paused:
            return BASS_ACTIVE_PAUSED;
        case ContextPlayback::State::Stopped:
            break;
    }
    return BASS_ACTIVE_STOPPED;
}

uint64_t ChannelGetLength(Handle handle) {
    Stream* s = Find(handle);
    return s ? static_cast<uint64_t>(s->playback.Length()) * kBytesPerFrame : kBadPosition;
}

bool ChannelSetLoop(Handle handle, uint64_t /*startBytes*/, uint64_t /*endBytes*/) {
    if (Find(handle) != nullptr) std::fprintf(stderr, "audio: no loops in the browser\n");
    return false;
}

bool Update() {
    return Lib().initialized;
}

bool StreamFree(Handle handle) {
    Library& lib = Lib();
    auto it = lib.streams.find(handle);
    if (it == lib.streams.end()) return false;
    vm_audio_release(it->second->node);
    lib.streams.erase(it);
    return true;
}

bool Free() {
    Library& lib = Lib();
    if (!lib.initialized) return false;
    for (const auto& [handle, stream] : lib.streams) vm_audio_release(stream->node);
    lib.streams.clear();
    lib.initialized = false;
    return true;
}

void AdvanceManualClock(double /*seconds*/) {}

}  // namespace audio

// The page's transport for tests and benchmarks (vessmark.seek / vessmark.pause): every stream
// moves to a music time, or pauses and resumes, as ChannelSetPosition, ChannelPause and ChannelPlay
// do.
extern "C" {
EMSCRIPTEN_KEEPALIVE int vm_web_seek(double seconds) {
    int moved = 0;
    for (const auto& [handle, stream] : audio::Lib().streams) {
        moved += audio::ChannelSetPosition(handle, audio::ChannelSeconds2Bytes(handle, seconds),
                                           audio::BASS_POS_BYTE)
                     ? 1
                     : 0;
    }
    return moved;
}

// The music time of the first stream, as the demo's timer reads it; -1 without a stream.
EMSCRIPTEN_KEEPALIVE double vm_web_music_seconds() {
    const auto& streams = audio::Lib().streams;
    if (streams.empty()) return -1.0;
    const audio::Handle handle = streams.begin()->first;
    return audio::ChannelBytes2Seconds(handle, audio::ChannelGetPosition(handle));
}

EMSCRIPTEN_KEEPALIVE int vm_web_pause(int paused) {
    int changed = 0;
    for (const auto& [handle, stream] : audio::Lib().streams)
        changed +=
            (paused != 0 ? audio::ChannelPause(handle) : audio::ChannelPlay(handle, false)) ? 1 : 0;
    return changed;
}
}
