#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "midi/backends/backend_choice.h"
#include "midi/backends/fluid_synth_layer.h"

namespace kvs {
namespace {

// Sets KVS_MIDI for one scope and puts the old value back.
class ScopedMidiEnv {
  public:
    explicit ScopedMidiEnv(const char* value) {
        if (const char* old = std::getenv("KVS_MIDI")) old_ = old;
        setenv("KVS_MIDI", value, 1);
    }
    ~ScopedMidiEnv() {
        if (old_)
            setenv("KVS_MIDI", old_->c_str(), 1);
        else
            unsetenv("KVS_MIDI");
    }

  private:
    std::optional<std::string> old_;
};

TEST(ChooseBackend, OverrideWinsWithoutProbingElseAlsaThenARunningJackThenNone) {
    int probes = 0;
    auto yes = [&] { return ++probes, true; };
    auto no = [&] { return ++probes, false; };
    EXPECT_EQ(ChooseBackend("jack", yes, yes), BackendKind::Jack);
    EXPECT_EQ(ChooseBackend("NONE", yes, yes), BackendKind::None);
    EXPECT_EQ(ChooseBackend("virtual", yes, yes), BackendKind::Virtual);
    EXPECT_EQ(ChooseBackend("alsa", no, yes), BackendKind::Alsa);
    EXPECT_EQ(probes, 0);
    // Unknown or empty values choose by probing, as no value does.
    EXPECT_EQ(ChooseBackend("pulse", yes, no), BackendKind::Alsa);
    EXPECT_EQ(ChooseBackend("", no, yes), BackendKind::Jack);
    EXPECT_EQ(ChooseBackend(nullptr, yes, no), BackendKind::Alsa);
    EXPECT_EQ(ChooseBackend(nullptr, no, yes), BackendKind::Jack);
    EXPECT_EQ(ChooseBackend(nullptr, no, no), BackendKind::None);
}

TEST(CreateDeviceLayer, AddsTheSynthAfterTheChosenLayersOutputs) {
    {
        ScopedMidiEnv env("virtual");
        BackendChoice choice = CreateDeviceLayer("");
        ASSERT_NE(choice.layer, nullptr);
        EXPECT_EQ(choice.layer->Name(), "virtual");
        EXPECT_TRUE(choice.note.empty());
        std::vector<std::string> outs = choice.layer->OutputNames();
        ASSERT_GE(outs.size(), 2u);
        EXPECT_EQ(outs.back(), kSynthDeviceName);
        EXPECT_EQ(choice.layer->InputNames(), choice.layer->Base().InputNames());
        // The virtual device under the synth is reached by its own index.
        std::string error;
        EXPECT_NE(choice.layer->OpenOutput(0, &error), nullptr);
        EXPECT_EQ(choice.layer->OpenOutput(static_cast<std::uint32_t>(outs.size()), &error),
                  nullptr);
        EXPECT_FALSE(error.empty());
    }
    {
        ScopedMidiEnv env("none");
        BackendChoice choice = CreateDeviceLayer("");
        EXPECT_EQ(choice.layer->Name(), "none");
        EXPECT_TRUE(choice.layer->InputNames().empty());
        EXPECT_EQ(choice.layer->OutputNames(), std::vector<std::string>{kSynthDeviceName});
    }
}

TEST(CreateDeviceLayer, AnUnusableRequestedBackendLeavesNoneWithAReason) {
    if (std::filesystem::exists("/dev/snd/seq")) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    ScopedMidiEnv env("alsa");
    BackendChoice choice = CreateDeviceLayer("");
    EXPECT_EQ(choice.layer->Name(), "none");
    EXPECT_NE(choice.note.find("ALSA"), std::string::npos) << choice.note;
    EXPECT_EQ(choice.layer->OutputNames(), std::vector<std::string>{kSynthDeviceName});
}

}  // namespace
}  // namespace kvs
