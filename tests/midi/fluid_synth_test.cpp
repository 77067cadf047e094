#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "midi/backends/fluid_synth_layer.h"

namespace kvs {
namespace {

bool HaveSoundFont() {
    return !ChooseSoundFont("").empty();
}

// A middle C on the piano, held for half of the render.
std::vector<std::int16_t> RenderNote(int rate) {
    std::string error;
    std::unique_ptr<OfflineSynth> synth = OfflineSynth::Create("", rate, &error);
    EXPECT_NE(synth, nullptr) << error;
    if (!synth) return {};
    const std::size_t frames = static_cast<std::size_t>(rate);  // one second
    std::vector<std::int16_t> out(frames * 2);
    const std::uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    synth->SendLong(gmOn);
    synth->SendShort(0x00C0);    // program 0
    synth->SendShort(0x703C90);  // note on, velocity 112
    // Render in uneven blocks, as the engine's periods will.
    std::size_t done = 0;
    for (std::size_t block = 133; done < frames; block = block == 133 ? 132 : 133) {
        std::size_t n = std::min(block, frames - done);
        if (done <= frames / 2 && done + n > frames / 2) synth->SendShort(0x003C80);
        EXPECT_TRUE(synth->Render(std::span<std::int16_t>(out).subspan(done * 2), n));
        done += n;
    }
    return out;
}

TEST(OfflineSynth, RendersAnAudibleNoteTheSameEveryTime) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no General MIDI sound font installed";
    std::vector<std::int16_t> first = RenderNote(44100);
    std::vector<std::int16_t> second = RenderNote(44100);
    ASSERT_EQ(first.size(), 88200u);
    int peak = 0;
    for (std::int16_t s : first)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 1000);
    EXPECT_EQ(first, second);
}

TEST(OfflineSynth, RefusesBadArgumentsWithAReason) {
    std::string error;
    EXPECT_EQ(OfflineSynth::Create("/nonexistent/font.sf2", 44100, &error), nullptr);
    EXPECT_NE(error.find("/nonexistent/font.sf2"), std::string::npos) << error;
    error.clear();
    EXPECT_EQ(OfflineSynth::Create("", 0, &error), nullptr);
    EXPECT_FALSE(error.empty());
    if (!HaveSoundFont()) return;
    std::unique_ptr<OfflineSynth> synth = OfflineSynth::Create("", 22050, &error);
    ASSERT_NE(synth, nullptr) << error;
    EXPECT_EQ(synth->SampleRate(), 22050);
    std::vector<std::int16_t> out(10, 123);
    EXPECT_FALSE(synth->Render(out, 6));  // 12 samples needed
    EXPECT_EQ(out, std::vector<std::int16_t>(10, 123));
    EXPECT_TRUE(synth->Render(out, 0));
    // Nonsense messages are ignored, not crashes.
    synth->SendLong(std::vector<std::uint8_t>{0xF0});
    synth->SendLong(std::vector<std::uint8_t>{0x41, 0x10, 0xF7});
    synth->SendShort(0x00F2);
    EXPECT_TRUE(synth->Render(out, 5));

    // Without an audio output, opening the live synth says why.
    error.clear();
    if (!OpenSynthOutput("", &error)) {
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace kvs
