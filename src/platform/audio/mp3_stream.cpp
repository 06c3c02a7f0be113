#include "platform/audio/mp3_stream.h"

#include <SDL.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/file/regular_file.h"

namespace audio {
namespace {

constexpr long kSeekPreFrames = 12;
constexpr int64_t kChunkFrames = 4096;  // file frames converted at a time
constexpr int kCleanFramesAfterDamage = 3;

bool Fail(std::string* error, const char* path, const std::string& why) {
    if (error) *error = std::string(path ? path : "(null)") + ": " + why;
    return false;
}

int ChannelsOf(const mpg123_frameinfo& info) {
    return info.mode == MPG123_M_MONO ? 1 : 2;
}

// One MPEG frame as the parser found it.
struct FrameSpan {
    int64_t pos, end;  // bytes
    bool sameFormat;   // rate, channels and layer of the stream's first frame
};

// Damaged stretches in frame numbers [first, last) and bytes [byteFrom, byteTo).
struct Damage {
    int64_t first, last, byteFrom, byteTo;
    double goodFrameBytes;  // average size of the intact frames before it
};

// Walks the frames without decoding. Garbage shows as a jump between one frame's end and the next
// frame's start, and as "frames" of other formats that random bytes happen to look like; a stretch
// ends where a few intact frames follow each other again.
std::vector<Damage> FindDamage(const char* path, int64_t* frameCount) {
    std::vector<Damage> found;
    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> walker(mpg123_new(nullptr, &err),
                                                                    [](mpg123_handle* h) {
                                                                        mpg123_close(h);
                                                                        mpg123_delete(h);
                                                                    });
    mpg123_handle* w = walker.get();
    if (!w) return found;
    mpg123_param(w, MPG123_FLAGS, MPG123_QUIET, 0.0);
    mpg123_param(w, MPG123_RESYNC_LIMIT, -1, 0.0);
    if (mpg123_open(w, path) != MPG123_OK) return found;

    mpg123_frameinfo first{};
    int64_t index = 0, prevEnd = 0, goodBytes = 0, goodFrames = 0;
    bool inDamage = false;
    int cleanRun = 0;
    Damage current{};
    FrameSpan candidate{};
    int64_t candidateIndex = 0;
    for (;; ++index) {
        const int result = mpg123_framebyframe_next(w);
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
        unsigned long header = 0;
        unsigned char* body = nullptr;
        size_t bodyBytes = 0;
        mpg123_frameinfo info{};
        if (mpg123_framedata(w, &header, &body, &bodyBytes) != MPG123_OK ||
            mpg123_info(w, &info) != MPG123_OK)
            break;
        FrameSpan frame{mpg123_framepos(w), 0, true};
        frame.end = frame.pos + 4 + static_cast<int64_t>(bodyBytes);
        if (index == 0) first = info;
        frame.sameFormat = info.rate == first.rate && ChannelsOf(info) == ChannelsOf(first) &&
                           info.layer == first.layer && info.version == first.version;
        const bool clean = frame.sameFormat && (index == 0 || frame.pos == prevEnd);
        if (!inDamage) {
            if (clean) {
                goodBytes += frame.end - frame.pos;
                ++goodFrames;
            } else {
                inDamage = true;
                current = {index, 0, prevEnd, 0,
                           goodFrames > 0 ? double(goodBytes) / double(goodFrames) : 0.0};
                cleanRun = 0;
            }
        } else if (!clean) {
            cleanRun = 0;
        } else if (cleanRun++ == 0) {
            candidate = frame;
            candidateIndex = index;
        }
        if (inDamage && cleanRun == kCleanFramesAfterDamage) {
            current.last = candidateIndex;
            current.byteTo = candidate.pos;
            found.push_back(current);
            inDamage = false;
        }
        prevEnd = frame.end;
    }
    if (inDamage) {  // damage up to the end of the file
        current.last = index;
        current.byteTo = prevEnd;
        found.push_back(current);
    }
    *frameCount = index;
    return found;
}

}  // namespace

void Mp3Stream::Deleter::operator()(mpg123_handle_struct* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
}

void Mp3Stream::Deleter::operator()(_SDL_AudioStream* stream) const {
    SDL_FreeAudioStream(stream);
}

Mp3Stream::Mp3Stream() = default;
Mp3Stream::~Mp3Stream() = default;

bool Mp3Stream::Open(const char* path, std::string* error, std::string* warning) {
    if (warning) warning->clear();
    handle_.reset();
    resampler_.reset();
    rate_ = kDecodeRate;
    channels_ = kDecodeChannels;
    gaps_.clear();
    fileLength_ = fileNext_ = decoderNext_ = 0;
    flushed_ = false;
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
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    bool anyFormat = false;
    for (size_t i = 0; i < rateCount; ++i)
        anyFormat |= mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO,
                                   MPG123_ENC_FLOAT_32) == MPG123_OK;
    if (!anyFormat) return Fail(error, path, "this libmpg123 cannot decode to 32-bit float");

    // A pipe or device in the file's place would block the open or the scan.
    if (!files::IsRegular(path) || mpg123_open(mh, path) != MPG123_OK)
        return Fail(error, path, "cannot open the file");
    int encoding = 0;
    const int formatResult = mpg123_getformat(mh, &rate_, &channels_, &encoding);
    if (formatResult == MPG123_DONE)
        return Fail(error, path, "no MPEG audio in the file (empty or not an MP3)");
    if (formatResult != MPG123_OK)
        return Fail(error, path, std::string("not a readable MP3: ") + mpg123_strerror(mh));
    if (encoding != MPG123_ENC_FLOAT_32 || channels_ < 1 || channels_ > 2 || rate_ <= 0)
        return Fail(error, path, "the decoder gives no 32-bit float output for this file");
    // Once the file is known to hold MPEG audio, look past damaged stretches of any length for
    // the next frame. Frames of another format later in the file are damage, never a new output
    // format.
    mpg123_param(mh, MPG123_RESYNC_LIMIT, -1, 0.0);
    mpg123_format_none(mh);
    mpg123_format(mh, rate_, channels_ == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_FLOAT_32);

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
    fileLength_ = scanned;
    std::string notes;
    FindGaps(&notes);

    if (!Direct()) {
        resampler_.reset(SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(channels_),
                                            static_cast<int>(rate_), AUDIO_F32SYS, kDecodeChannels,
                                            kDecodeRate));
        if (!resampler_)
            return Fail(error, path,
                        std::string("cannot convert the file's ") + std::to_string(rate_) +
                            " Hz: " + SDL_GetError());
        scratch_.resize(static_cast<size_t>(kChunkFrames * channels_));
        length_ = (fileLength_ * kDecodeRate + rate_ - 1) / rate_;
    } else {
        length_ = fileLength_;
    }

    // Decode the first frames so that data which merely looks like MPEG headers is refused now,
    // not found silent later; then go back to the start.
    float probe[2 * 1152 * kDecodeChannels];
    const int64_t probeFrames = std::min<int64_t>(length_, 2 * 1152);
    if (Read(probe, probeFrames) == 0)
        return Fail(error, path, failure_.empty() ? "no audio could be decoded" : failure_);
    if (!Seek(0))
        return Fail(error, path,
                    std::string("cannot seek back to the start: ") + mpg123_strerror(mh));

    if (warning) {
        *warning = notes;
        // After damage the length is an estimate: a second short is no sign of truncation.
        if (announced_ > fileLength_ + (gaps_.empty() ? 0 : rate_)) {
            if (!warning->empty()) *warning += "\n";
            *warning += path_ + ": holds " + std::to_string(fileLength_) +
                        " sample frames but the file's tag announces " +
                        std::to_string(announced_) +
                        "; the file looks truncated (playing what there is)";
        }
    }
    return true;
}

void Mp3Stream::FindGaps(std::string* notes) {
    mpg123_handle* mh = handle_.get();
    const int64_t spf = mpg123_spf(mh);
    int64_t frameCount = 0;
    const std::vector<Damage> damage = FindDamage(path_.c_str(), &frameCount);
    if (damage.empty() || spf <= 0) return;
    // Frame k starts at k * spf - delay in the decoder's samples (gapless: the encoder's and the
    // decoder's delay are cut). The decoder stops two frames early and starts a frame late, so
    // that it never decodes the garbage; the silence covers those frames too.
    long encoderDelay = -1;
    mpg123_getstate(mh, MPG123_ENC_DELAY, &encoderDelay, nullptr);
    const int64_t delay = encoderDelay >= 0 ? encoderDelay + 529 : 0;
    const int64_t decoderEnd = std::min<int64_t>(fileLength_, frameCount * spf - delay);
    int64_t shift = 0;  // decoder position minus file position after the gaps so far
    for (const Damage& d : damage) {
        Gap g{};
        const int64_t floor = gaps_.empty() ? 0 : gaps_.back().to;
        g.from = std::clamp<int64_t>((d.first - 2) * spf - delay, floor, decoderEnd);
        g.to = std::clamp<int64_t>((d.last + 1) * spf - delay, g.from, decoderEnd);
        const int64_t lostFrames =
            d.goodFrameBytes > 0
                ? std::llround(static_cast<double>(d.byteTo - d.byteFrom) / d.goodFrameBytes)
                : d.last - d.first;
        g.silence = std::max<int64_t>(lostFrames, 1) * spf + (g.to - g.from) -
                    std::min(d.last - d.first, (g.to - g.from) / spf) * spf;
        g.start = g.from - shift;
        shift = g.to - g.start - g.silence;
        gaps_.push_back(g);
        char line[256];
        std::snprintf(line, sizeof line,
                      ": %lld damaged bytes at byte %lld (%.2f s into the music) skipped; %.2f s "
                      "of silence in their place",
                      static_cast<long long>(d.byteTo - d.byteFrom),
                      static_cast<long long>(d.byteFrom), double(g.start) / double(rate_),
                      double(g.silence) / double(rate_));
        if (!notes->empty()) *notes += "\n";
        *notes += path_ + line;
    }
    fileLength_ = decoderEnd - shift;
}

int64_t Mp3Stream::DecoderRead(float* out, int64_t frames) {
    mpg123_handle* mh = handle_.get();
    const size_t wanted = static_cast<size_t>(std::max<int64_t>(frames, 0)) *
                          static_cast<size_t>(channels_) * sizeof(float);
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
            if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate != rate_ ||
                channels != channels_ || encoding != MPG123_ENC_FLOAT_32) {
                failure_ = "the output format changed while decoding";
                break;
            }
            continue;
        }
        if (result != MPG123_DONE)
            failure_ = std::string("decoding failed: ") + mpg123_strerror(mh);
        break;
    }
    const int64_t read =
        static_cast<int64_t>(got / (static_cast<size_t>(channels_) * sizeof(float)));
    decoderNext_ += read;
    return read;
}

bool Mp3Stream::DecoderSeek(int64_t sample) {
    const off_t at = mpg123_seek(handle_.get(), static_cast<off_t>(sample), SEEK_SET);
    if (at < 0) {
        failure_ = std::string("seeking failed: ") + mpg123_strerror(handle_.get());
        return false;
    }
    decoderNext_ = at;
    return at == sample;
}

int64_t Mp3Stream::FileRead(float* out, int64_t frames) {
    int64_t done = 0;
    frames = std::min(frames, fileLength_ - fileNext_);
    while (done < frames) {
        auto gap = std::find_if(gaps_.begin(), gaps_.end(),
                                [&](const Gap& g) { return g.start + g.silence > fileNext_; });
        float* to = out + done * channels_;
        if (gap != gaps_.end() && fileNext_ >= gap->start) {
            // Silence in place of the damage; the decoder then goes on after it.
            const int64_t n = std::min(frames - done, gap->start + gap->silence - fileNext_);
            std::fill(to, to + n * channels_, 0.0f);
            done += n;
            fileNext_ += n;
            if (fileNext_ == gap->start + gap->silence && decoderNext_ != gap->to) {
                // Frames just before the stretch's end are garbage: no pre-decoding from them.
                mpg123_param(handle_.get(), MPG123_PREFRAMES, 0, 0.0);
                const bool moved = DecoderSeek(gap->to);
                mpg123_param(handle_.get(), MPG123_PREFRAMES, kSeekPreFrames, 0.0);
                if (!moved) break;
            }
            continue;
        }
        const int64_t limit = gap != gaps_.end() ? gap->start : fileLength_;
        const int64_t want = std::min(frames - done, limit - fileNext_);
        const int64_t got = DecoderRead(to, want);
        done += got;
        fileNext_ += got;
        if (got < want) break;
    }
    return done;
}

bool Mp3Stream::FileSeek(int64_t frame) {
    int64_t shift = 0;
    for (const Gap& g : gaps_) {
        if (frame < g.start) break;
        if (frame < g.start + g.silence) {
            fileNext_ = frame;
            return DecoderSeek(g.from);  // the silence runs first, then a seek to g.to
        }
        shift = g.to - g.start - g.silence;
    }
    const bool exact = DecoderSeek(frame + shift);
    fileNext_ = decoderNext_ - shift;
    return exact;
}

int64_t Mp3Stream::Read(float* out, int64_t frames) {
    if (!handle_ || frames <= 0) return 0;
    const int64_t want = std::min(frames, length_ - next_);
    if (want <= 0) return 0;
    if (Direct()) {
        const int64_t read = FileRead(out, want);
        next_ += read;
        return read;
    }
    SDL_AudioStream* rs = resampler_.get();
    const int bytes =
        static_cast<int>(want * kDecodeChannels * static_cast<int64_t>(sizeof(float)));
    while (SDL_AudioStreamAvailable(rs) < bytes && !flushed_) {
        const int64_t chunk = std::min(kChunkFrames, fileLength_ - fileNext_);
        const int64_t got = chunk > 0 ? FileRead(scratch_.data(), chunk) : 0;
        if (got > 0 &&
            SDL_AudioStreamPut(
                rs, scratch_.data(),
                static_cast<int>(got * channels_ * static_cast<int64_t>(sizeof(float)))) != 0) {
            failure_ = std::string("converting the file's rate failed: ") + SDL_GetError();
            return 0;
        }
        if (got < chunk || chunk == 0) {
            SDL_AudioStreamFlush(rs);
            flushed_ = true;
        }
    }
    const int gotBytes = SDL_AudioStreamGet(rs, out, bytes);
    int64_t read = gotBytes > 0 ? gotBytes / static_cast<int>(kDecodeChannels * sizeof(float)) : 0;
    // The converter's last frames can fall a few short of the length: silence keeps the length.
    if (read < want && flushed_ && failure_.empty()) {
        std::fill(out + read * kDecodeChannels, out + want * kDecodeChannels, 0.0f);
        read = want;
    }
    next_ += read;
    return read;
}

bool Mp3Stream::Seek(int64_t frame) {
    if (!handle_ || frame < 0 || frame > length_) return false;
    if (Direct()) {
        const bool exact = FileSeek(frame);
        next_ = fileNext_;
        return exact;
    }
    // The output frame's time in the file's own frames; the converter starts afresh there.
    const bool moved = FileSeek(frame * rate_ / kDecodeRate);
    SDL_AudioStreamClear(resampler_.get());
    flushed_ = false;
    next_ = frame;
    return moved;
}

}  // namespace audio
