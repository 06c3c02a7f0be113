#include "platform/audio/mp3_decoder.h"

#include <mpg123.h>

#include <memory>

namespace audio {
namespace {

struct HandleDeleter {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Mpg123 = std::unique_ptr<mpg123_handle, HandleDeleter>;

bool Fail(std::string* error, const char* path, const std::string& why) {
    if (error) *error = std::string(path ? path : "(null)") + ": " + why;
    return false;
}

}  // namespace

bool DecodeMp3File(const char* path, DecodedAudio* out, std::string* error, std::string* warning) {
    if (warning) warning->clear();
    if (!path || !out) return Fail(error, path, "no file name or no output");
    *out = DecodedAudio{};

    int err = MPG123_OK;
    Mpg123 mh(mpg123_new(nullptr, &err));
    if (!mh) return Fail(error, path, std::string("mpg123_new failed: ") + mpg123_plain_strerror(err));
    mpg123_param(mh.get(), MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_FLOAT | MPG123_QUIET, 0.0);
    mpg123_format_none(mh.get());
    if (mpg123_format(mh.get(), kDecodeRate, MPG123_STEREO, MPG123_ENC_FLOAT_32) != MPG123_OK)
        return Fail(error, path, "this libmpg123 cannot decode to 32-bit float");

    if (mpg123_open(mh.get(), path) != MPG123_OK)
        return Fail(error, path, "cannot open the file");
    long rate = 0;
    int channels = 0, encoding = 0;
    const int formatResult = mpg123_getformat(mh.get(), &rate, &channels, &encoding);
    if (formatResult == MPG123_DONE) return Fail(error, path, "no MPEG audio in the file (empty or not an MP3)");
    if (formatResult != MPG123_OK)
        return Fail(error, path, std::string("not a readable MP3: ") + mpg123_strerror(mh.get()));
    if (rate != kDecodeRate || channels != kDecodeChannels || encoding != MPG123_ENC_FLOAT_32)
        return Fail(error, path, "the decoder refused 44100 Hz stereo float output");

    // Before the scan, an accurate length can only come from the file's tag.
    long accurate = 0;
    if (mpg123_getstate(mh.get(), MPG123_ACCURATE, &accurate, nullptr) == MPG123_OK && accurate) {
        const off_t announced = mpg123_length(mh.get());
        if (announced > 0) out->announcedFrames = announced;
    }
    if (mpg123_scan(mh.get()) != MPG123_OK)
        return Fail(error, path, std::string("scanning failed: ") + mpg123_strerror(mh.get()));

    const int64_t maxFrames = static_cast<int64_t>(kMaxDecodedSeconds * kDecodeRate);
    const off_t scanned = mpg123_length(mh.get());
    if (scanned > maxFrames)
        return Fail(error, path, "longer than " + std::to_string(static_cast<int>(kMaxDecodedSeconds)) +
                                     " seconds; refused");
    if (scanned > 0) out->samples.reserve(static_cast<size_t>(scanned) * kDecodeChannels);

    constexpr size_t kChunkFloats = 16384;
    float chunk[kChunkFloats];
    for (;;) {
        size_t bytes = 0;
        const int result = mpg123_read(mh.get(), chunk, sizeof chunk, &bytes);
        out->samples.insert(out->samples.end(), chunk, chunk + bytes / sizeof(float));
        if (static_cast<int64_t>(out->samples.size()) > maxFrames * kDecodeChannels)
            return Fail(error, path, "decodes to more than the allowed length; refused");
        if (result == MPG123_DONE) break;
        if (result == MPG123_NEW_FORMAT) {
            if (mpg123_getformat(mh.get(), &rate, &channels, &encoding) != MPG123_OK ||
                rate != kDecodeRate || channels != kDecodeChannels || encoding != MPG123_ENC_FLOAT_32)
                return Fail(error, path, "the output format changed while decoding");
            continue;
        }
        if (result != MPG123_OK)
            return Fail(error, path, std::string("decoding failed: ") + mpg123_strerror(mh.get()));
    }
    out->samples.resize(out->samples.size() - out->samples.size() % kDecodeChannels);
    out->samples.shrink_to_fit();
    out->frames = static_cast<int64_t>(out->samples.size() / kDecodeChannels);
    if (out->frames == 0) return Fail(error, path, "no audio could be decoded");

    if (warning && out->announcedFrames > out->frames) {
        *warning = std::string(path) + ": decoded " + std::to_string(out->frames) +
                   " sample frames but the file's tag announces " + std::to_string(out->announcedFrames) +
                   "; the file looks truncated (playing what there is)";
    }
    return true;
}

}  // namespace audio
