#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "model/change_properties_form.h"
#include "model/song.h"
#include "model/track_properties_form.h"

namespace kvs {
namespace {

// Port 1 has a list: two sounds for channel 10 (index 9), one for any channel.
class FakeInstruments final : public InstrumentSource {
  public:
    std::optional<std::vector<InstrumentChoice>> Choices(std::uint32_t port,
                                                         std::uint16_t channel) const override {
        if (port != 1) return std::nullopt;
        if (channel == 9) return std::vector<InstrumentChoice>{{"Kit", 0, 128}, {"Room", 8, 128}};
        return std::vector<InstrumentChoice>{{"Piano", 0, 0}};
    }
};

class RecordingOutput final : public PropertyOutput {
  public:
    void SendShort(std::uint32_t message, std::uint32_t port) override {
        sent.emplace_back(message, port);
    }
    void SetTempo(std::uint32_t bpm) override { tempos.push_back(bpm); }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sent;
    std::vector<std::uint32_t> tempos;
};

using Sent = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

const std::vector<OutputPort> kPorts = {{"Out A", 0}, {"Out B", 1}};

TrackProperties DrumTrack() {
    TrackProperties p{
        .channel = 9, .port = 1, .program = 8, .bank = 128, .volume = 100, .muted = 1, .name = {}};
    p.name.Set("Drums");
    return p;
}

TEST(TrackPropertiesForm, FieldsAreClampedOnLeaveAndOnOkAndPickTheInstrument) {
    for (const char* text : {"0", "", "x", "-5"}) {
        TrackPropertiesForm form(DrumTrack(), kPorts, nullptr, nullptr, false);
        form.SetChannelText(text);
        EXPECT_EQ(form.Ok().channel, kNoChannel) << text;
    }
    FakeInstruments instruments;
    TrackPropertiesForm form(DrumTrack(), kPorts, &instruments, nullptr, true);
    EXPECT_EQ(form.Ok(), DrumTrack());
    form.SetChannelText("99");
    EXPECT_EQ(form.Ok().channel, 15) << "held to 16 even without leaving the field";

    PropertyFieldSet& f = form.Fields();
    f.SetText(PropertyField::Program, "0");
    f.Leave(PropertyField::Program);
    EXPECT_EQ(f.InstrumentIndex(), 1);
    const struct {
        PropertyField field;
        const char* typed;
        const char* shown;
    } cases[] = {{PropertyField::Program, "300", "127"},
                 {PropertyField::Bank, "99999", "16383"},
                 {PropertyField::Volume, "abc", "-1"},
                 {PropertyField::Pan, "-7", "-1"}};
    for (const auto& c : cases) {
        f.SetText(c.field, c.typed);
        f.Leave(c.field);
        EXPECT_EQ(f.Text(c.field), c.shown) << c.typed;
    }
    EXPECT_EQ(f.InstrumentIndex(), 0);

    // Typed but not left: OK still keeps the value in range.
    f.SetText(PropertyField::Chorus, "999");
    const TrackProperties p = form.Ok();
    EXPECT_EQ(p.chorus, 127);
    EXPECT_EQ(p.volume, -1);
    EXPECT_EQ(p.muted, 1u);
}

TEST(TrackPropertiesForm, SendsChangedValuesLiveOnlyWithAChannelAndTheSetting) {
    FakeInstruments instruments;
    RecordingOutput out;
    TrackPropertiesForm form(DrumTrack(), kPorts, &instruments, &out, true);
    PropertyFieldSet& f = form.Fields();

    f.Leave(PropertyField::Volume);  // unchanged: nothing
    EXPECT_TRUE(out.sent.empty());
    f.SetText(PropertyField::Volume, "90");
    f.Leave(PropertyField::Volume);
    f.SetText(PropertyField::Bank, "300");  // 2 * 128 + 44, then the program again
    f.Leave(PropertyField::Bank);
    f.SetText(PropertyField::Pan, "-1");  // not set: not sent
    f.Leave(PropertyField::Pan);
    EXPECT_EQ(out.sent, (Sent{{0x5A07B9, 1}, {0x0200B9, 1}, {0x2C20B9, 1}, {0x08C9, 1}}));

    out.sent.clear();
    f.ChooseInstrument(1);  // Kit: bank 128, program 0
    EXPECT_EQ(f.Text(PropertyField::Program), "0");
    EXPECT_EQ(f.Text(PropertyField::Bank), "128");
    EXPECT_EQ(out.sent, (Sent{{0x0100B9, 1}, {0x0020B9, 1}, {0x00C9, 1}}));
    out.sent.clear();
    f.ChooseInstrument(0);  // the empty entry unsets both and sends nothing
    EXPECT_EQ(f.Text(PropertyField::Program), "-1");
    EXPECT_EQ(f.Text(PropertyField::Bank), "-1");
    EXPECT_TRUE(out.sent.empty());

    form.SetChannelText("0");
    form.LeaveChannel();
    f.SetText(PropertyField::Volume, "10");
    f.Leave(PropertyField::Volume);
    EXPECT_TRUE(out.sent.empty());

    TrackPropertiesForm off(DrumTrack(), kPorts, &instruments, &out, false);
    off.Fields().SetText(PropertyField::Volume, "10");
    off.Fields().Leave(PropertyField::Volume);
    EXPECT_TRUE(out.sent.empty());
}

TEST(TrackPropertiesForm, IncomingMidiFillsFieldsAndBankHalves) {
    RecordingOutput out;
    TrackProperties p = DrumTrack();
    p.bank = 3 * 128 + 5;
    TrackPropertiesForm form(p, kPorts, nullptr, &out, true);
    PropertyFieldSet& f = form.Fields();

    form.MidiIn(0x0200B0);  // controller 0 = 2 keeps the low 5
    EXPECT_EQ(f.Text(PropertyField::Bank), std::to_string(2 * 128 + 5));
    form.MidiIn(0x0920B0);  // controller 32 = 9 keeps the high 2
    EXPECT_EQ(f.Text(PropertyField::Bank), std::to_string(2 * 128 + 9));
    form.MidiIn(0x402AC3);  // program change, any channel
    EXPECT_EQ(f.Text(PropertyField::Program), "42");
    form.MidiIn(0x405DB0);  // controller 93
    EXPECT_EQ(f.Text(PropertyField::Chorus), "64");
    form.MidiIn(0x7F0190);  // a note changes nothing
    // Each bank half sends the whole bank and the program again.
    EXPECT_EQ(out.sent.size(), 3u + 3u + 1u + 1u);

    f.SetText(PropertyField::Bank, "-1");
    f.Leave(PropertyField::Bank);
    form.MidiIn(0x0720B0);  // controller 32 on an unset bank counts from 0
    EXPECT_EQ(f.Text(PropertyField::Bank), "7");
}

TEST(ChangePropertiesForm, TempoIsClampedSentToTheEngineAndReadBack) {
    ChangeRecord r{.channel = 2, .program = 5};
    RecordingOutput out;
    ChangePropertiesForm form(r, nullptr, &out, true);
    form.SetTempoText("5");
    form.LeaveTempo();
    EXPECT_EQ(form.TempoText(), "10");
    form.SpinTempo(500);
    EXPECT_EQ(form.TempoText(), "480");
    EXPECT_EQ(out.tempos, (std::vector<std::uint32_t>{10, 480}));
    form.Fields().SetText(PropertyField::Program, "");
    form.Fields().SetText(PropertyField::Volume, "64");
    form.Fields().Leave(PropertyField::Volume);
    EXPECT_EQ(out.sent, (Sent{{0x4007B2, 0}}));
    const ChangeRecord ok = form.Ok();
    EXPECT_EQ(ok.tempo, 480);
    EXPECT_EQ(ok.program, -1);
    EXPECT_EQ(ok.volume, 64);
    form.SetTempoText("999");  // typed, never left
    EXPECT_EQ(form.Ok().tempo, 480);
    form.SetTempoText("");
    EXPECT_EQ(form.Ok().tempo, kNoTempo);

    // A track without a channel sends nothing but still takes input.
    r.channel = kNoChannel;
    ChangePropertiesForm none(r, nullptr, &out, true);
    out.sent.clear();
    none.MidiIn(0x4007B0);
    EXPECT_EQ(none.Fields().Text(PropertyField::Volume), "64");
    EXPECT_TRUE(out.sent.empty());
}

}  // namespace
}  // namespace kvs
