#include "platform/audio/mp3_stream.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>

namespace audio {
namespace {

constexpr long kSeekPreFrames = 12;

bool Fail(std::string* error, const char* path, const std::string& why) {
    if (error) *error = std::string(path ? path : "(null)") + ": " + why;
    return false;
}

bool IsDecodeFormat(long rate, int channels, int encoding) {
    return rate == kDecodeRate && channels == kDecodeChannels && encoding == MPG123_ENC_FLOAT_32;
}

}  // namespace

void Mp3Stream::Deleter::operator()(mpg123_handle_struct* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
}

Mp3Stream::Mp3Stream() = default;
Mp3Stream::~Mp3Stream() = default;

bool Mp3Stream::Open(const char* path, std::string* error, std::string* warning) {
    if (warning) warning->clear();
    handle_.reset();
    length_ = 0;
    announced_ = -1;
    next_ = 0;
    failure_.clear();
    if (!path) return Fail(error, path, "no file name");
    path_ = path;

    int err = MPG123_OK;
    handle_.reset(mpg123_new(nullptr, &err));
    mpg123_handle* mh = handle_.get();
    if (!mh)
        return Fail(error, path, std::string("mpg123_new failed: ") + mpg123_plain_strerror(err));
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_FLOAT | MPG123_QUIET, 0.0);
    // A seek decodes this many frames ahead of its target and throws them away, so that what
    // follows matches a decode from the start bit for bit: the bit reservoir reaches back up to 511
    // bytes (about 8 frames of main data at 32 kbit/s), plus a granule of overlap and the synthesis
    // history.
    mpg123_param(mh, MPG123_PREFRAMES, kSeekPreFrames, 0.0);
    mpg123_format_none(mh);
    if (mpg123_format(mh, kDecodeRate, MPG123_STEREO, MPG123_ENC_FLOAT_32) != MPG123_OK)
        return Fail(error, path, "this libmpg123 cannot decode to 32-bit float");

    if (mpg123_open(mh, path) != MPG123_OK) return Fail(error, path, "cannot open the file");
    long rate = 0;
    int channels = 0, encoding = 0;
    const int formatResult = mpg123_getformat(mh, &rate, &channels, &encoding);
    if (formatResult == MPG123_DONE)
        return Fail(error, path, "no MPEG audio in the file (empty or not an MP3)");
    if (formatResult != MPG123_OK)
        return Fail(error, path, std::string("not a readable MP3: ") + mpg123_strerror(mh));
    if (!IsDecodeFormat(rate, channels, encoding))
        return Fail(error, path, "the decoder refused 44100 Hz stereo float output");

    // Before the scan, an accurate length can only come from the file's tag.
    long accurate = 0;
    if (mpg123_getstate(mh, MPG123_ACCURATE, &accurate, nullptr) == MPG123_OK && accurate) {
        const off_t announced = mpg123_length(mh);
        if (announced > 0) announced_ = announced;
    }
    if (mpg123_scan(mh) != MPG123_OK)
        return Fail(error, path, std::string("scanning failed: ") + mpg123_strerror(mh));
    const off_t scanned = mpg123_length(mh);
    if (scanned <= 0) return Fail(error, path, "no audio could be decoded");
    length_ = scanned;

    // Decode the first frames so that data which merely looks like MPEG headers is refused now,
    // not found silent later; then go back to the start.
    float probe[2 * 1152 * kDecodeChannels];
    const int64_t probeFrames = std::min<int64_t>(length_, 2 * 1152);
    if (Read(probe, probeFrames) == 0)
        return Fail(error, path, failure_.empty() ? "no audio could be decoded" : failure_);
    if (!Seek(0))
        return Fail(error, path,
                    std::string("cannot seek back to the start: ") + mpg123_strerror(mh));

    if (warning && announced_ > length_) {
        *warning = path_ + ": holds " + std::to_string(length_) +
                   " sample frames but the file's tag announces " + std::to_string(announced_) +
                   "; the file looks truncated (playing what there is)";
    }
    return true;
}

int64_t Mp3Stream::Read(float* out, int64_t frames) {
    mpg123_handle* mh = handle_.get();
    if (!mh || frames <= 0) return 0;
    frames = std::min(frames, length_ - next_);
    const size_t wanted =
        static_cast<size_t>(std::max<int64_t>(frames, 0)) * kDecodeChannels * sizeof(float);
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    size_t got = 0;
    while (got < wanted) {
        size_t done = 0;
        const int result = mpg123_read(mh, bytes + got, wanted - got, &done);
        got += done;
        if (result == MPG123_OK) continue;
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK ||
                !IsDecodeFormat(rate, channels, encoding)) {
                failure_ = "the output format changed while decoding";
                break;
            }
            continue;
        }
        if (result != MPG123_DONE)
            failure_ = std::string("decoding failed: ") + mpg123_strerror(mh);
        break;
    }
    const int64_t read = static_cast<int64_t>(got / (kDecodeChannels * sizeof(float)));
    next_ += read;
    return read;
}

bool Mp3Stream::Seek(int64_t frame) {
    mpg123_handle* mh = handle_.get();
    if (!mh || frame < 0 || frame > length_) return false;
    const off_t at = mpg123_seek(mh, static_cast<off_t>(frame), SEEK_SET);
    if (at < 0) {
        failure_ = std::string("seeking failed: ") + mpg123_strerror(mh);
        return false;
    }
    next_ = at;
    return at == frame;
}

}  // namespace audio
