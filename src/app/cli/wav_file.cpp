#include "app/cli/wav_file.h"

namespace kvs {
namespace {

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutTag(std::vector<std::uint8_t>& b, const char (&tag)[5]) {
    b.insert(b.end(), tag, tag + 4);
}

}  // namespace

std::vector<std::uint8_t> BuildWav(std::span<const std::int16_t> samples,
                                   std::uint32_t sampleRate) {
    constexpr std::uint16_t kChannels = 2;
    constexpr std::uint16_t kBlockAlign = kChannels * 2;
    const std::uint64_t frames = samples.size() / kChannels;
    if (frames > kMaxWavFrames) return {};
    const auto dataBytes = static_cast<std::uint32_t>(frames * kBlockAlign);

    std::vector<std::uint8_t> b;
    b.reserve(44 + std::size_t{dataBytes});
    PutTag(b, "RIFF");
    Put32(b, 36 + dataBytes);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);  // PCM
    Put16(b, kChannels);
    Put32(b, sampleRate);
    Put32(b, sampleRate * kBlockAlign);
    Put16(b, kBlockAlign);
    Put16(b, 16);
    PutTag(b, "data");
    Put32(b, dataBytes);
    // Little-endian whatever the machine.
    for (std::uint64_t i = 0; i < frames * kChannels; ++i)
        Put16(b, static_cast<std::uint16_t>(samples[i]));
    return b;
}

}  // namespace kvs
