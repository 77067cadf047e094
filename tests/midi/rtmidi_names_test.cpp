#include <gtest/gtest.h>

#include "midi/backends/rtmidi_names.h"

namespace kvs {
namespace {

TEST(StableSystemName, DropsTheNumbersAlsaAppends) {
    // The port part repeats the client: it alone names the device.
    EXPECT_EQ(StableSystemName("Midi Through:Midi Through Port-0 14:0"), "Midi Through Port-0");
    EXPECT_EQ(StableSystemName("USB Keys:USB Keys MIDI 1 128:0"), "USB Keys MIDI 1");
    EXPECT_EQ(StableSystemName("Keys:Port 1 20:1"), "Keys:Port 1");
    // Only a trailing " client:port" pair goes; "Port-0" and inner digits stay.
    EXPECT_EQ(StableSystemName("Synth 2:Port 3"), "Synth 2:Port 3");
    EXPECT_EQ(StableSystemName("Synth:Out 14:"), "Synth:Out 14:");
    EXPECT_EQ(StableSystemName("14:0"), "14:0");
}

TEST(StableSystemName, DropsTheClientNumberJackGivesASecondClient) {
    EXPECT_EQ(StableSystemName("a2j-01:capture"), "a2j:capture");
    EXPECT_EQ(StableSystemName("Kavelsong-12:out"), "Kavelsong:out");
    EXPECT_EQ(StableSystemName("Kavelsong:out"), "Kavelsong:out");
    // A single digit or a dash in the port part is a real name.
    EXPECT_EQ(StableSystemName("synth-1:in"), "synth-1:in");
    EXPECT_EQ(StableSystemName("synth:in-01"), "synth:in-01");
    // On an ALSA name the numbers go, the dash stays.
    EXPECT_EQ(StableSystemName("USB-16:Out 20:0"), "USB-16:Out");
}

TEST(StableSystemName, KeepsAtMost31BytesWithoutSplittingACharacter) {
    std::string name = StableSystemName("A very long client name here:and its port 130:0");
    EXPECT_EQ(name, "A very long client name here:an");
    EXPECT_EQ(name.size(), 31u);
    // 30 ASCII bytes then a two-byte character: the whole character goes.
    std::string cut = StableSystemName(std::string(30, 'x') + "\xC3\xA9" + "tail");
    EXPECT_EQ(cut, std::string(30, 'x'));
    // A cut that lands after a space leaves no trailing blank.
    EXPECT_EQ(StableSystemName(std::string(30, 'y') + " z"), std::string(30, 'y'));
}

TEST(MakeNamesUnique, NumbersRepeatedNamesWithinTheLimit) {
    std::vector<std::string> names =
        MakeNamesUnique({"Synth:in", "Synth:in", "Other", "Synth:in", "Synth:in #2"});
    EXPECT_EQ(names, (std::vector<std::string>{"Synth:in", "Synth:in #2", "Other", "Synth:in #3",
                                               "Synth:in #2 #2"}));
    std::string longName(31, 'n');
    names = MakeNamesUnique({longName, longName});
    EXPECT_EQ(names[0], longName);
    EXPECT_EQ(names[1], std::string(28, 'n') + " #2");
}

}  // namespace
}  // namespace kvs
