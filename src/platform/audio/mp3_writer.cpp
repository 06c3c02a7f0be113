#include "platform/audio/mp3_writer.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace audio {
namespace {

struct LameCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

}  // namespace

bool WriteMp3(const char* path, const float* interleavedStereo, size_t frames, int sampleRate,
              std::string* error, bool mono) {
    if (!path || (!interleavedStereo && frames > 0))
        return Fail(error, "WriteMp3: no path or no samples");
    if (sampleRate < 8000 || sampleRate > 48000)
        return Fail(error,
                    "WriteMp3: sample rate " + std::to_string(sampleRate) + " is not an MP3 rate");

    std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame) return Fail(error, "WriteMp3: lame_init failed");
    lame_set_in_samplerate(lame.get(), sampleRate);
    lame_set_out_samplerate(lame.get(), sampleRate);
    lame_set_num_channels(lame.get(), 2);
    if (mono) lame_set_mode(lame.get(), MONO);  // the two channels mixed down
    lame_set_VBR(lame.get(), vbr_default);
    lame_set_VBR_quality(lame.get(), 2.0f);
    lame_set_bWriteVbrTag(lame.get(), 1);
    lame_set_write_id3tag_automatic(lame.get(), 0);
    if (lame_init_params(lame.get()) < 0) return Fail(error, "WriteMp3: lame_init_params failed");

    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "wb"));
    if (!file) return Fail(error, std::string("WriteMp3: cannot create ") + path);

    // Worst case output per lame.h: 1.25 * samples + 7200 bytes.
    constexpr size_t kChunkFrames = 8192;
    std::vector<unsigned char> out(kChunkFrames * 5 / 4 + 7200);
    auto writeOut = [&](int bytes) {
        return bytes >= 0 && std::fwrite(out.data(), 1, static_cast<size_t>(bytes), file.get()) ==
                                 static_cast<size_t>(bytes);
    };

    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(kChunkFrames, frames - done);
        const int bytes = lame_encode_buffer_interleaved_ieee_float(
            lame.get(), interleavedStereo + done * 2, static_cast<int>(n), out.data(),
            static_cast<int>(out.size()));
        if (!writeOut(bytes))
            return Fail(error, std::string("WriteMp3: encoding or writing failed for ") + path);
        done += n;
    }
    if (!writeOut(lame_encode_flush(lame.get(), out.data(), static_cast<int>(out.size()))))
        return Fail(error, std::string("WriteMp3: flushing failed for ") + path);

    // The encoder left an empty frame at the start for the LAME tag; write the final tag over it.
    std::vector<unsigned char> tag(lame_get_lametag_frame(lame.get(), nullptr, 0));
    if (!tag.empty()) {
        const size_t size = lame_get_lametag_frame(lame.get(), tag.data(), tag.size());
        if (size > tag.size() || std::fseek(file.get(), 0, SEEK_SET) != 0 ||
            std::fwrite(tag.data(), 1, size, file.get()) != size)
            return Fail(error, std::string("WriteMp3: cannot write the LAME tag to ") + path);
    }
    if (std::fflush(file.get()) != 0)
        return Fail(error, std::string("WriteMp3: cannot write ") + path);
    return true;
}

}  // namespace audio
