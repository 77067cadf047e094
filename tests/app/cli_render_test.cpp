#include <gtest/gtest.h>

#include <cstring>

#include "cli_test_support.h"
#include "midi/backends/fluid_synth_layer.h"

namespace kvs {
namespace {

using test::RunArgs;
using test::RunOk;

// A little-endian number of the file (the machine's order too).
template <typename T>
T At(const test::Bytes& b, std::size_t at) {
    T v{};
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

TEST(CliRender, RendersTheSameSoundEveryTimeIntoAValidWavOrFlac) {
    if (ChooseSoundFont("").empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    test::ScopedHome home;
    const std::string a = home.File("a.wav");
    const std::string b = home.File("b.wav");
    RunOk({"render", test::ExampleSongPath(), a, "--rate", "22050"});
    RunOk({"render", test::ExampleSongPath(), b, "--rate", "22050"});

    const test::Bytes wav = test::ReadBytes(a);
    EXPECT_EQ(wav, test::ReadBytes(b));
    ASSERT_GT(wav.size(), 44u);
    const auto text = [&](std::size_t at, std::size_t n) {
        return std::string(wav.begin() + static_cast<long>(at),
                           wav.begin() + static_cast<long>(at + n));
    };
    EXPECT_EQ(text(0, 4) + text(8, 8) + text(36, 4), "RIFFWAVEfmt data");
    EXPECT_EQ(At<std::uint32_t>(wav, 4), wav.size() - 8);
    EXPECT_EQ(At<std::uint32_t>(wav, 40), wav.size() - 44);
    // PCM, stereo, 22050 frames of 4 bytes a second, 16 bits.
    EXPECT_EQ(text(16, 20),
              std::string("\x10\0\0\0\x01\0\x02\0\x22\x56\0\0\x88\x58\x01\0\x04\0\x10\0", 20));

    // 96 beats at 120 per minute last 48 s; the loop of the file is not
    // followed, and the file ends soon after the last release has faded,
    // not after seconds of dither noise.
    const double seconds = static_cast<double>(wav.size() - 44) / 4 / 22050;
    EXPECT_GE(seconds, 48.0);
    EXPECT_LE(seconds, 48.0 + 2.0);
    std::size_t loud = 0;
    for (std::size_t i = 44; i + 1 < wav.size(); i += 2) {
        const auto s = At<std::int16_t>(wav, i);
        if (s > 1000 || s < -1000) ++loud;
    }
    EXPECT_GT(loud, 22050u);

    // The extension, in any case, chooses FLAC.
    const std::string fa = home.File("a.flac");
    const test::CliRun flac = RunOk({"render", test::ExampleSongPath(), fa, "--rate", "22050"});
    EXPECT_TRUE(test::Has(flac.out, " s at 22050 Hz")) << flac.out;
    RunOk({"render", test::ExampleSongPath(), home.File("b.FLAC"), "--rate", "22050"});
    const test::Bytes bytes = test::ReadBytes(fa);
    ASSERT_GT(bytes.size(), 4000u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "fLaC");
    EXPECT_EQ(bytes, test::ReadBytes(home.File("b.FLAC")));
}

TEST(CliRender, FailuresExitWithTwoAndLeaveNothingBehind) {
    test::ScopedHome home;
    const std::string out = home.File("out.wav");
    const test::CliRun r =
        RunArgs({"render", test::ExampleSongPath(), out, "--soundfont", home.File("none.sf2")});
    EXPECT_EQ(r.status, kExitFileError);
    EXPECT_TRUE(test::Has(r.err, "cannot load the sound font")) << r.err;
    EXPECT_EQ(RunArgs({"render", home.File("missing.mid"), out}).status, kExitFileError);
    EXPECT_FALSE(std::filesystem::exists(out));

    if (ChooseSoundFont("").empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    const std::string folder = home.File("folder");
    std::filesystem::create_directory(folder);
    const test::CliRun f = RunArgs({"render", test::ExampleSongPath(), folder});
    EXPECT_EQ(f.status, kExitFileError);
    EXPECT_TRUE(test::Has(f.err, folder + ": ")) << f.err;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    for (const auto& entry : std::filesystem::directory_iterator(home.File("")))
        EXPECT_EQ(entry.path().filename().string().rfind(".kvs-", 0), std::string::npos);
}

}  // namespace
}  // namespace kvs
