#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "midi/backends/backend_choice.h"
#include "midi/backends/fluid_synth_layer.h"
#include "midi/backends/rtmidi_names.h"

namespace kvs {
namespace {

// Device names key the port settings: the same device must keep its name
// from one session to the next.
TEST(StableSystemName, DropsTheNumbersAlsaAndJackAppendAndKeeps31BytesOfWholeCharacters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        // The port part repeats the client: it alone names the device.
        {"Midi Through:Midi Through Port-0 14:0", "Midi Through Port-0"},
        {"Keys:Port 1 20:1", "Keys:Port 1"},
        // Only a trailing " client:port" pair goes.
        {"Synth 2:Port 3", "Synth 2:Port 3"},
        {"Synth:Out 14:", "Synth:Out 14:"},
        {"14:0", "14:0"},
        // JACK's number on a second client goes; a single digit or a dash in
        // the port part is a real name.
        {"a2j-01:capture", "a2j:capture"},
        {"synth-1:in", "synth-1:in"},
        {"synth:in-01", "synth:in-01"},
        {"USB-16:Out 20:0", "USB-16:Out"},
        {"A very long client name here:and its port 130:0", "A very long client name here:an"},
        {std::string(30, 'x') + "\xC3\xA9" + "tail", std::string(30, 'x')},
        {std::string(30, 'y') + " z", std::string(30, 'y')},  // no trailing blank
    };
    for (const auto& [raw, stable] : cases)
        EXPECT_EQ(StableSystemName(raw), stable) << raw;
}

TEST(MakeNamesUnique, NumbersRepeatedNamesWithinTheLimit) {
    EXPECT_EQ(MakeNamesUnique({"Synth:in", "Synth:in", "Other", "Synth:in", "Synth:in #2"}),
              (std::vector<std::string>{"Synth:in", "Synth:in #2", "Other", "Synth:in #3",
                                        "Synth:in #2 #2"}));
    const std::string longName(31, 'n');
    EXPECT_EQ(MakeNamesUnique({longName, longName})[1], std::string(28, 'n') + " #2");
}

TEST(ChooseBackend, OverrideWinsWithoutProbingElseAlsaThenARunningJackThenNone) {
    int probes = 0;
    auto yes = [&] { return ++probes, true; };
    auto no = [&] { return ++probes, false; };
    EXPECT_EQ(ChooseBackend("jack", yes, yes), BackendKind::Jack);
    EXPECT_EQ(ChooseBackend("NONE", yes, yes), BackendKind::None);
    EXPECT_EQ(ChooseBackend("alsa", no, yes), BackendKind::Alsa);
    EXPECT_EQ(probes, 0);
    // Unknown or empty values choose by probing, as no value does.
    EXPECT_EQ(ChooseBackend("pulse", yes, no), BackendKind::Alsa);
    EXPECT_EQ(ChooseBackend("", no, yes), BackendKind::Jack);
    EXPECT_EQ(ChooseBackend(nullptr, no, no), BackendKind::None);
}

TEST(CreateDeviceLayer, AddsTheSynthAfterTheChosenLayersOutputsOrAloneWithAReason) {
    const char* old = std::getenv("KVS_MIDI");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("KVS_MIDI", "virtual", 1);
    BackendChoice choice = CreateDeviceLayer("");
    const std::vector<std::string> outs = choice.layer->OutputNames();
    ASSERT_GE(outs.size(), 2u);
    EXPECT_EQ(outs.back(), kSynthDeviceName);
    // The virtual device under the synth is reached by its own index.
    std::string error;
    EXPECT_NE(choice.layer->OpenOutput(0, &error), nullptr);
    EXPECT_EQ(choice.layer->OpenOutput(static_cast<std::uint32_t>(outs.size()), &error), nullptr);
    EXPECT_FALSE(error.empty());

    if (!std::filesystem::exists("/dev/snd/seq")) {
        setenv("KVS_MIDI", "alsa", 1);
        choice = CreateDeviceLayer("");
        EXPECT_EQ(choice.layer->Name(), "none");
        EXPECT_NE(choice.note.find("ALSA"), std::string::npos) << choice.note;
        EXPECT_EQ(choice.layer->OutputNames(), std::vector<std::string>{kSynthDeviceName});
    }
    if (saved)
        setenv("KVS_MIDI", saved->c_str(), 1);
    else
        unsetenv("KVS_MIDI");
}

// The rendered sound itself is the command-line renderer's test.
TEST(OfflineSynth, RefusesBadArgumentsAndIgnoresNonsenseMessages) {
    std::string error;
    EXPECT_EQ(OfflineSynth::Create("/nonexistent/font.sf2", 44100, &error), nullptr);
    EXPECT_NE(error.find("/nonexistent/font.sf2"), std::string::npos) << error;
    error.clear();
    EXPECT_EQ(OfflineSynth::Create("", 0, &error), nullptr);
    EXPECT_FALSE(error.empty());
    if (ChooseSoundFont("").empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    std::unique_ptr<OfflineSynth> synth = OfflineSynth::Create("", 22050, &error);
    ASSERT_NE(synth, nullptr) << error;
    std::vector<std::int16_t> out(10, 123);
    EXPECT_FALSE(synth->Render(out, 6));  // 12 samples needed
    EXPECT_EQ(out, std::vector<std::int16_t>(10, 123));
    synth->SendLong(std::vector<std::uint8_t>{0xF0});
    synth->SendLong(std::vector<std::uint8_t>{0x41, 0x10, 0xF7});
    synth->SendShort(0x00F2);
    EXPECT_TRUE(synth->Render(out, 5));
}

}  // namespace
}  // namespace kvs
