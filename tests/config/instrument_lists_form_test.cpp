#include "config/instrument_lists_form.h"

#include <gtest/gtest.h>

#include <vector>

namespace kvs {
namespace {

InstrumentLists ThreeLists() {
    InstrumentLists lists;
    lists.SetLists({{"GM", {}}, {"Drums", {}}, {"Pads", {}}});
    // Port 1 is disabled and so not listed, but keeps its assignment.
    lists.SetAssignments({2, 1, kNoInstrumentList});
    return lists;
}

TEST(InstrumentListsForm, EditsACopyThatOnlyOkHandsBack) {
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
}

TEST(InstrumentListsForm, WorksWithoutPortsOrLists) {
    InstrumentLists empty;
    InstrumentListsForm noPorts(empty, {}, "** Keine **");
    EXPECT_EQ(noPorts.SelectedPort(), -1);
    EXPECT_EQ(noPorts.SelectedInstrument(), 0);
    noPorts.SelectInstrument(0);
    EXPECT_EQ(noPorts.InstrumentRows(), (std::vector<std::string>{"** Keine **"}));

    // An assignment to a list that is gone shows as unassigned.
    InstrumentLists stale;
    stale.SetLists({{"Only", {}}});
    InstrumentListsForm form(stale, {{0, "Synth"}});
    form.SelectInstrument(1);
    form.Accept(stale);
    stale.SetLists({});
    InstrumentListsForm after(stale, {{0, "Synth"}});
    EXPECT_EQ(after.SelectedInstrument(), 0);
}

}  // namespace
}  // namespace kvs
