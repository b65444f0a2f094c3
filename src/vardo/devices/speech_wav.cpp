#include "vardo/devices/speech_wav.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace vardo {

namespace {

uint32_t le32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

struct Format {
    int channels = 0;
    int rate = 0;
    int bits = 0;
};

// One mono sample per frame, mixed from the channels.
std::vector<int> mixDown(const uint8_t* data, size_t bytes, const Format& f)
{
    const size_t frameBytes = size_t(f.channels) * size_t(f.bits / 8);
    std::vector<int> mono(bytes / frameBytes);
    for (size_t i = 0; i < mono.size(); ++i) {
        long sum = 0;
        for (int c = 0; c < f.channels; ++c) {
            const uint8_t* s = data + i * frameBytes + size_t(c) * size_t(f.bits / 8);
            sum += f.bits == 16 ? int16_t(le16(s)) : (int(s[0]) - 128) * 256;
        }
        mono[i] = int(sum / f.channels);
    }
    return mono;
}

void resample(const std::vector<int>& in, int rate, std::vector<int16_t>& out)
{
    out.clear();
    if (in.empty())
        return;
    const double step = double(rate) / 16000.0;
    const size_t n = size_t(double(in.size()) / step);
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const double pos = double(i) * step;
        const size_t k = size_t(pos);
        const double frac = pos - double(k);
        const int a = in[k], b = k + 1 < in.size() ? in[k + 1] : a;
        out.push_back(int16_t(double(a) + (double(b) - double(a)) * frac));
    }
}

} // namespace

bool decodeSpeechWav(const std::vector<uint8_t>& bytes, std::vector<int16_t>& samples,
                     std::string& error)
{
    const uint8_t* b = bytes.data();
    if (bytes.size() < 12 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0) {
        error = "not a WAV file";
        return false;
    }
    Format f;
    const uint8_t* data = nullptr;
    size_t dataBytes = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = le32(b + at + 4);
        const size_t body = at + 8;
        const size_t avail = bytes.size() - body;
        if (std::memcmp(b + at, "fmt ", 4) == 0 && size >= 16 && avail >= 16) {
            if (le16(b + body) != 1) {
                error = "WAV file is not PCM";
                return false;
            }
            f = {le16(b + body + 2), int(le32(b + body + 4)), le16(b + body + 14)};
        } else if (std::memcmp(b + at, "data", 4) == 0) {
            data = b + body;
            dataBytes = size < avail ? size : avail; // a cut-off file keeps what it has
            break;
        }
        if (size > avail)
            break;
        at = body + size + (size & 1);
    }
    if (f.channels < 1 || f.rate < 1000 || f.rate > 192000 || (f.bits != 8 && f.bits != 16)) {
        error = "WAV format not supported (PCM 8 or 16 bit expected)";
        return false;
    }
    if (!data) {
        error = "WAV file has no data";
        return false;
    }
    const std::vector<int> mono = mixDown(data, dataBytes, f);
    if (f.rate == 16000) {
        samples.assign(mono.begin(), mono.end());
        return true;
    }
    resample(mono, f.rate, samples);
    return true;
}

bool readSpeechWav(const std::string& path, std::vector<int16_t>& samples, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    return decodeSpeechWav(bytes, samples, error);
}

} // namespace vardo
