// MP3 encoding for the music tests through LAME's simple buffer interface.
#include "mp3_writer.h"

#include <lame.h>

#include <cmath>

namespace pelx::test {

std::vector<uint8_t> encodeMp3(const std::vector<int16_t>& samples, int rate) {
    lame_global_flags* lame = lame_init();
    if (!lame) return {};
    lame_set_num_channels(lame, 1);
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_mode(lame, MONO);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 5);
    std::vector<uint8_t> out;
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return out;
    }
    // LAME's own bound for one call: 1.25 * samples + 7200 bytes.
    std::vector<unsigned char> buffer(samples.size() * 5 / 4 + 7200);
    std::vector<short> pcm(samples.begin(), samples.end());
    int written = lame_encode_buffer(lame, pcm.data(), pcm.data(), static_cast<int>(pcm.size()),
                                     buffer.data(), static_cast<int>(buffer.size()));
    if (written > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    written = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
    if (written > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    lame_close(lame);
    return out;
}

std::vector<int16_t> sineSamples(double hz, double amplitude, double seconds, int rate) {
    const double pi = std::acos(-1.0);
    std::vector<int16_t> samples(static_cast<size_t>(seconds * rate));
    for (size_t n = 0; n < samples.size(); ++n)
        samples[n] =
            static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2.0 * pi * hz * n / rate)));
    return samples;
}

} // namespace pelx::test
