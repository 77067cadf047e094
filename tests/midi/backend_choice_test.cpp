#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "midi/backends/backend_choice.h"
#include "midi/backends/fluid_synth_layer.h"

namespace kvs {
namespace {

// Sets KVS_MIDI for one scope and puts the old value back.
class ScopedMidiEnv {
  public:
    explicit ScopedMidiEnv(const char* value) {
        if (const char* old = std::getenv("KVS_MIDI")) old_ = old, hadOld_ = true;
        if (value) {
            setenv("KVS_MIDI", value, 1);
        } else {
            unsetenv("KVS_MIDI");
        }
    }
    ~ScopedMidiEnv() {
        if (hadOld_) {
            setenv("KVS_MIDI", old_.c_str(), 1);
        } else {
            unsetenv("KVS_MIDI");
        }
    }

  private:
    std::string old_;
    bool hadOld_ = false;
};

TEST(ChooseBackend, OverrideWinsWithoutProbingAndUnknownValuesChooseByThemselves) {
    int alsaProbes = 0;
    int jackProbes = 0;
    auto alsa = [&] { return ++alsaProbes, true; };
    auto jack = [&] { return ++jackProbes, true; };
    EXPECT_EQ(ChooseBackend("jack", alsa, jack), BackendKind::Jack);
    EXPECT_EQ(ChooseBackend("NONE", alsa, jack), BackendKind::None);
    EXPECT_EQ(ChooseBackend("virtual", alsa, jack), BackendKind::Virtual);
    EXPECT_EQ(ChooseBackend(
                  "alsa", [] { return false; }, jack),
              BackendKind::Alsa);
    EXPECT_EQ(alsaProbes + jackProbes, 0);
    EXPECT_EQ(ChooseBackend("pulse", alsa, jack), BackendKind::Alsa);
    EXPECT_EQ(ChooseBackend("", alsa, jack), BackendKind::Alsa);
    EXPECT_EQ(jackProbes, 0);
}

TEST(ChooseBackend, FallsFromAlsaToARunningJackToNone) {
    auto yes = [] { return true; };
    auto no = [] { return false; };
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
