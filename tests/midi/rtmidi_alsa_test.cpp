#include <gtest/gtest.h>

#include <filesystem>

#include "midi/backends/rtmidi_layer.h"

namespace kvs {
namespace {

TEST(RtMidiAlsa, MissingSequencerFailsCleanlyWithAReason) {
    if (std::filesystem::exists("/dev/snd/seq")) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    std::string error;
    std::unique_ptr<RtMidiLayer> layer = RtMidiLayer::Create(RtMidiLayer::Api::Alsa, &error);
    EXPECT_EQ(layer, nullptr);
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kvs
