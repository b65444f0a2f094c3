#pragma once
// Reads a WAV recording as the recogniser hears it: 16 kHz, mono, 16-bit.
// PCM files of other rates, channel counts or 8/16-bit samples are mixed
// down and resampled.
#include <cstdint>
#include <string>
#include <vector>

namespace vardo {

bool readSpeechWav(const std::string& path, std::vector<int16_t>& samples, std::string& error);

// The same from bytes already in memory.
bool decodeSpeechWav(const std::vector<uint8_t>& bytes, std::vector<int16_t>& samples,
                     std::string& error);

} // namespace vardo
