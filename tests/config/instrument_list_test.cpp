#include "config/instrument_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/instrument_lists_form.h"
#include "config/profile_store.h"
#include "config/property_form_sources.h"
#include "config_test_support.h"
#include "files/mapped_file.h"

namespace kvs {
namespace {

namespace fs = std::filesystem;

using Folder = test::TempFolder;

InstrumentList ReadText(const std::string& text, std::string_view errorText = "<Error loading>") {
    Folder folder;
    MappedFile file;
    EXPECT_EQ(file.Open(folder.Write("list.ini", text)), kResultOk);
    return ReadInstrumentList(file, errorText, "fallback");
}

TEST(InstrumentListReader, ReadsChannelsProgramsBanksAndWholeNames) {
    const InstrumentList list = ReadText(
        "; heading comment\r\n0,1,1,ignored before the section\r\n[INSTRUMENTS]\r\nName=First\r\n"
        "\r\n0,0,0,Grand Piano\r\n; a comment inside\r\n10,25,128,Brush Kit\r\n"
        "NAME=Synth A\r\n3,-1,70000,Wrapped\r\n16, 7,2, Leading blank\r\n");
    EXPECT_EQ(list.name, "Synth A");  // the later name line wins
    ASSERT_EQ(list.entries.size(), 4u);
    EXPECT_EQ(list.entries[0], (InstrumentEntry{kAnyChannel, 0, 0, "Grand Piano"}));
    EXPECT_EQ(list.entries[1], (InstrumentEntry{9, 25, 128, "Brush Kit"}));
    EXPECT_EQ(list.entries[2], (InstrumentEntry{2, 0xFFFF, 70000 & 0xFFFF, "Wrapped"}));
    EXPECT_EQ(list.entries[3], (InstrumentEntry{15, 7, 2, " Leading blank"}));
}

TEST(InstrumentListReader, ForeignLineEndsEntriesAndMarksTheName) {
    const InstrumentList list = ReadText(
        "[instruments]\nname=Module\n1,0,0,Piano\n2,1,0,Strings\n[ports]\n3,2,0,Never read\n");
    EXPECT_EQ(list.name, "Module <Error loading>");
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[1].name, "Strings");

    // The marker follows the language; lines that only look like entries break too.
    for (const char* bad : {"1,2,3,\n", "1,2,3,   \n", "1,2\n", "x,1,1,Name\n", "1 ,2,3,N\n"}) {
        const InstrumentList broken =
            ReadText(std::string("[instruments]\nname=M\n0,5,0,Kept\n") + bad, "<Fehler>");
        EXPECT_EQ(broken.name, "M <Fehler>") << bad;
        EXPECT_EQ(broken.entries.size(), 1u) << bad;
    }
}

TEST(InstrumentListReader, CutsLongNamesAndLinesWithoutBreakingTheList) {
    const std::string longName(40, 'n');
    const std::string longComment = ";" + std::string(200, 'c');
    const InstrumentList list = ReadText("[instruments]\nname=" + longName + "\n" + longComment +
                                         "\n0,1,2," + std::string(100, 'e') + "\n0,3,4,After\n");
    EXPECT_EQ(list.name, std::string(31, 'n'));
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0].name, std::string(31, 'e'));
    EXPECT_EQ(list.entries[1].name, "After");

    // A cut never leaves half a multi-byte character behind.
    const InstrumentList utf8 =
        ReadText("[instruments]\nname=M\n0,1,2," + std::string(30, 'a') + "\xC3\xA9z\n");
    ASSERT_EQ(utf8.entries.size(), 1u);
    EXPECT_EQ(utf8.entries[0].name, std::string(30, 'a'));
    // Stray continuation bytes are cut like any other byte.
    const InstrumentList stray =
        ReadText("[instruments]\nname=M\n0,1,2," + std::string(40, '\x91') + "\n");
    ASSERT_EQ(stray.entries.size(), 1u);
    EXPECT_EQ(stray.entries[0].name, std::string(31, '\x91'));
}

TEST(InstrumentListReader, FilesWithoutASectionOrEntriesGiveEmptyLists) {
    EXPECT_TRUE(ReadText("Name=x\n0,1,1,Piano\n").entries.empty());
    const InstrumentList noEntries = ReadText("[instruments]\nname=Empty\n");
    EXPECT_EQ(noEntries.name, "Empty");
    EXPECT_TRUE(noEntries.entries.empty());
    // Without a name line the list keeps the name it was found by.
    EXPECT_EQ(ReadText("[instruments]\n0,1,1,Piano\n").name, "fallback");
    MappedFile closed;
    EXPECT_EQ(ReadInstrumentList(closed, "<Error loading>", "found").name, "found");
}

TEST(InstrumentListLoading, FindsListFilesBesideTheSettingsInNameOrder) {
    Folder folder;
    folder.Write("kvs.ini", "[OPTIONS]\r\nfollowplay=1\r\n[ports]\r\nSynth_out_inst=Beta\r\n");
    folder.Write("b.ini", "[Instruments]\nName=Beta\n0,1,0,B1\n");
    folder.Write("A.INI", "[Instruments]\nName=Alpha\n0,2,0,A1\n0,3,0,A2\n");
    folder.Write("c.ini", "[Instruments]\nName=\n0,2,0,Unmarked\n");
    folder.Write("d.txt", "[Instruments]\nName=Wrong extension\n0,1,0,x\n");
    folder.Write("e.ini", "[Instruments]\nName=Broken\n0,1,0,E1\n[next]\n");
    fs::create_directory(folder.Root() / "dir.ini");

    const auto lists = LoadInstrumentLists(folder.Root().string());
    ASSERT_EQ(lists.size(), 3u);
    EXPECT_EQ(lists[0].name, "Alpha");
    EXPECT_EQ(lists[0].entries.size(), 2u);
    EXPECT_EQ(lists[1].name, "Beta");
    EXPECT_EQ(lists[2].name, "Broken <Error loading>");
    EXPECT_EQ(lists[2].entries.size(), 1u);

    EXPECT_TRUE(LoadInstrumentLists(folder.Root().string() + "/missing").empty());
}

TEST(InstrumentListLoading, ShippedGeneralMidiListNamesProgramsAndKits) {
    const std::string data = std::string(KVS_TEST_DATA_DIR) + "/../../data/instruments";
    const auto lists = LoadInstrumentLists(data);
    ASSERT_EQ(lists.size(), 1u);
    const InstrumentList& gm = lists[0];
    EXPECT_EQ(gm.name, "General MIDI");

    InstrumentLists all;
    all.SetLists(lists);
    all.SetAssignments({0});
    const auto melodic = all.Choices(0, 0);
    ASSERT_EQ(melodic.size(), 128u);
    for (std::size_t p = 0; p < melodic.size(); ++p)
        EXPECT_TRUE(melodic[p]->program == p && melodic[p]->bank == 0) << p;
    EXPECT_EQ(all.InstrumentName(0, 3, 0, 0), "Acoustic Grand Piano");
    EXPECT_EQ(all.InstrumentName(0, 3, 40, 0), "Violin");
    EXPECT_EQ(all.InstrumentName(0, 3, 127, 0), "Gunshot");
    // Channel 10 offers the drum kits instead of the melodic programs.
    EXPECT_EQ(all.InstrumentName(0, 9, 0, 0), "Standard Kit");
    EXPECT_EQ(all.InstrumentName(0, 9, 40, 0), "Brush Kit");
}

std::vector<InstrumentList> TwoLists() {
    const std::vector<InstrumentEntry> a = {
        {kAnyChannel, 0, 0, "Piano"},  {kAnyChannel, 5, 0, "EP"}, {kAnyChannel, 5, 0, "EP twin"},
        {kAnyChannel, 5, 8, "EP var"}, {9, 0, 0, "Kit"},          {9, 16, 0, "Power"}};
    return {{"Module", a}, {"Module", {{kAnyChannel, 1, 0, "Other"}}}};
}

TEST(InstrumentAssignment, ResolvesStoredNamesAndWritesThemBack) {
    Folder folder;
    const std::string ini =
        folder.Write("kvs.ini",
                     "[ports]\r\nSynth A_out_inst=Module\r\nGone_out_inst=Removed list\r\n"
                     "Empty_out_inst=\r\nkeep=1\r\n");
    ProfileStore store(ini);
    ASSERT_EQ(store.Load(), kResultOk);

    InstrumentLists lists;
    InstrumentList unnamed{"", {{kAnyChannel, 0, 0, "x"}}};
    auto loaded = TwoLists();
    loaded.push_back(unnamed);
    lists.SetLists(loaded);
    const std::vector<std::string> ports = {"Synth A", "Gone", "Empty", "New"};
    lists.ReadAssignments(store, ports);
    // Same display name twice: the first found wins. An empty value never
    // picks a list, even one without a name.
    EXPECT_EQ(
        lists.Assignments(),
        (std::vector<std::uint32_t>{0, kNoInstrumentList, kNoInstrumentList, kNoInstrumentList}));

    lists.SetAssignments({0, kNoInstrumentList, kNoInstrumentList, 1, 99});
    lists.WriteAssignments(store, ports);
    ASSERT_EQ(store.Flush(), kResultOk);
    ProfileStore again(ini);
    ASSERT_EQ(again.Load(), kResultOk);
    EXPECT_EQ(again.GetString("ports", "Synth A_out_inst", "?", 255), "Module");
    EXPECT_EQ(again.GetString("ports", "Gone_out_inst", "?", 255), "");
    EXPECT_EQ(again.GetString("ports", "New_out_inst", "?", 255), "Module");
    EXPECT_EQ(again.GetString("ports", "keep", "?", 255), "1");
    EXPECT_EQ(lists.AssignedIndex(4), kNoInstrumentList);  // out of range reads as unassigned

    lists.ResetAssignments(2);
    EXPECT_EQ(lists.AssignedList(0), nullptr);
}

TEST(InstrumentAssignment, OffersTheTrackChannelsSoundsElseTheAnyChannelOnes) {
    InstrumentLists lists;
    lists.SetLists(TwoLists());
    lists.SetAssignments({0, kNoInstrumentList});

    const auto drums = lists.Choices(0, 9);
    ASSERT_EQ(drums.size(), 2u);
    EXPECT_EQ(drums[1]->name, "Power");

    const auto melodic = lists.Choices(0, 2);
    ASSERT_EQ(melodic.size(), 4u);
    // The first entry with the track's program and bank is the one shown.
    EXPECT_EQ(SelectedChoice(melodic, 5, 0), 1);
    EXPECT_EQ(SelectedChoice(melodic, 5, 8), 3);
    EXPECT_EQ(SelectedChoice(melodic, 5, -1), -1);
    EXPECT_EQ(SelectedChoice(melodic, -1, 0), -1);
    EXPECT_EQ(lists.InstrumentName(0, 2, 5, 0), "EP");
    EXPECT_EQ(lists.InstrumentName(0, 9, 5, 0), "");

    // A track without a channel sees the any-channel sounds.
    EXPECT_EQ(lists.Choices(0, 0xFFFF).size(), 4u);
    EXPECT_TRUE(lists.Choices(1, 2).empty());
    EXPECT_TRUE(lists.Choices(7, 2).empty());

    // The property form's source gives nothing for a port without a list.
    const InstrumentListSource source(lists);
    EXPECT_FALSE(source.Choices(1, 9));
    EXPECT_FALSE(source.Choices(5, 9));
    ASSERT_TRUE(source.Choices(0, 9));
    EXPECT_EQ((*source.Choices(0, 9))[1].name, "Power");
}

InstrumentLists ThreeLists() {
    InstrumentLists lists;
    lists.SetLists({{"GM", {}}, {"Drums", {}}, {"Pads", {}}});
    // Port 1 is disabled and so not listed, but keeps its assignment.
    lists.SetAssignments({2, 1, kNoInstrumentList});
    return lists;
}

TEST(InstrumentListsForm, EditsACopyThatOnlyOkHandsBackAndWorksWithoutPortsOrLists) {
    InstrumentLists lists = ThreeLists();
    InstrumentListsForm form(lists, {{0, "Synth"}, {2, "Module"}, {4, "Later port"}});

    EXPECT_EQ(form.PortRows(), (std::vector<std::string>{"Synth", "Module", "Later port"}));
    EXPECT_EQ(form.InstrumentRows(),
              (std::vector<std::string>{"** Unassigned **", "GM", "Drums", "Pads"}));
    EXPECT_EQ(form.SelectedPort(), 0);
    EXPECT_EQ(form.SelectedInstrument(), 3);  // port 0 has "Pads"

    form.SelectPort(1);
    EXPECT_EQ(form.SelectedInstrument(), 0);
    form.SelectInstrument(1);
    form.SelectPort(2);
    EXPECT_EQ(form.SelectedInstrument(), 0);  // a port beyond the table starts unassigned
    form.SelectInstrument(2);
    form.SelectPort(0);
    form.SelectInstrument(0);
    form.SelectInstrument(9);  // out of range: ignored
    form.SelectPort(7);        // likewise
    EXPECT_EQ(form.SelectedPort(), 0);
    EXPECT_EQ(form.SelectedInstrument(), 0);

    // Nothing reaches the program's table before OK (Cancel just drops the form).
    EXPECT_EQ(lists.Assignments(), (std::vector<std::uint32_t>{2, 1, kNoInstrumentList}));
    form.Accept(lists);
    EXPECT_EQ(lists.Assignments(),
              (std::vector<std::uint32_t>{kNoInstrumentList, 1, 0, kNoInstrumentList, 1}));

    // Without ports or lists.
    InstrumentLists empty;
    InstrumentListsForm noPorts(empty, {}, "** Keine **");
    EXPECT_EQ(noPorts.SelectedPort(), -1);
    EXPECT_EQ(noPorts.SelectedInstrument(), 0);
    noPorts.SelectInstrument(0);
    EXPECT_EQ(noPorts.InstrumentRows(), (std::vector<std::string>{"** Keine **"}));

    // An assignment to a list that is gone shows as unassigned.
    InstrumentLists stale;
    stale.SetLists({{"Only", {}}});
    InstrumentListsForm before(stale, {{0, "Synth"}});
    before.SelectInstrument(1);
    before.Accept(stale);
    stale.SetLists({});
    InstrumentListsForm after(stale, {{0, "Synth"}});
    EXPECT_EQ(after.SelectedInstrument(), 0);
}

}  // namespace
}  // namespace kvs
