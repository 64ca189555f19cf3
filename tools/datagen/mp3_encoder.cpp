// LAME, configured the same way every time: constant bit rate, joint stereo, a fixed
// quality, no ID3 tag. The information frame LAME writes at the start holds only lengths and a
// checksum of the audio, so the same samples always give the same file.
#include "mp3_encoder.h"

#include "synth.h"

#include <algorithm>
#include <cstdio>
#include <lame/lame.h>

namespace pelx {

std::vector<uint8_t> encodeMp3(const std::vector<int16_t>& pcm) {
    lame_global_flags* lame = lame_init();
    if (!lame) {
        std::fprintf(stderr, "pelx-datagen: cannot start the MP3 encoder\n");
        return {};
    }
    lame_set_in_samplerate(lame, SAMPLE_RATE);
    lame_set_out_samplerate(lame, SAMPLE_RATE);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, MP3_BITRATE_KBPS);
    // 5 is LAME's balance of speed and quality; the whole show encodes in a few seconds.
    lame_set_quality(lame, 5);
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        std::fprintf(stderr, "pelx-datagen: the MP3 encoder refused its settings\n");
        lame_close(lame);
        return {};
    }
    std::vector<uint8_t> out;
    const int chunkFrames = 8192;
    std::vector<unsigned char> buffer(size_t(1.25 * chunkFrames) + 7200);
    size_t frames = pcm.size() / 2;
    for (size_t at = 0; at < frames; at += chunkFrames) {
        int count = int(std::min<size_t>(chunkFrames, frames - at));
        // LAME takes a non-const pointer but does not write through it.
        int written = lame_encode_buffer_interleaved(lame, const_cast<short*>(pcm.data() + 2 * at), count,
                                                     buffer.data(), int(buffer.size()));
        if (written < 0) {
            std::fprintf(stderr, "pelx-datagen: MP3 encoding failed (%d)\n", written);
            lame_close(lame);
            return {};
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    int written = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
    if (written > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    // The first frame was reserved for the information frame; fill it in now that the
    // length is known.
    std::vector<unsigned char> tag(8192);
    size_t tagSize = lame_get_lametag_frame(lame, tag.data(), tag.size());
    if (tagSize > 0 && tagSize <= out.size())
        std::copy(tag.begin(), tag.begin() + std::ptrdiff_t(tagSize), out.begin());
    lame_close(lame);
    return out;
}

} // namespace pelx
