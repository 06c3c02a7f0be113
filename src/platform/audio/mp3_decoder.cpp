#include "platform/audio/mp3_decoder.h"

namespace audio {

bool DecodeMp3File(const char* path, DecodedAudio* out, std::string* error, std::string* warning) {
    if (warning) warning->clear();
    if (!out) {
        if (error) *error = std::string(path ? path : "(null)") + ": no output";
        return false;
    }
    *out = DecodedAudio{};
    Mp3Stream stream;
    if (!stream.Open(path, error, warning)) return false;
    if (stream.Length() > static_cast<int64_t>(kMaxDecodedSeconds * kDecodeRate)) {
        if (error)
            *error = std::string(path) + ": longer than " +
                     std::to_string(static_cast<int>(kMaxDecodedSeconds)) + " seconds; refused";
        return false;
    }
    out->announcedFrames = stream.AnnouncedLength();
    out->samples.resize(static_cast<size_t>(stream.Length()) * kDecodeChannels);
    out->frames = stream.Read(out->samples.data(), stream.Length());
    out->samples.resize(static_cast<size_t>(out->frames) * kDecodeChannels);
    if (!stream.Failure().empty()) {
        if (error) *error = std::string(path) + ": " + stream.Failure();
        return false;
    }
    return true;
}

}  // namespace audio
