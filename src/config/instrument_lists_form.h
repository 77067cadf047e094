#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/instrument_list.h"

namespace kvs {

// An enabled MIDI OUT port as the dialog lists it.
struct InstrumentPortItem {
    std::size_t port = 0;  // index into the assignment table
    std::string name;      // friendly name
};

// The Instrument lists dialog. It edits a copy of the port assignments; OK
// hands the copy back, Cancel simply drops the form.
class InstrumentListsForm {
  public:
    static constexpr std::string_view kTemplate = "InstListBox";
    static constexpr std::string_view kTitlePrompt = "opts_instlist_title";
    static constexpr std::string_view kPortPrompt = "opts_instlist_port";
    static constexpr std::string_view kInstrumentPrompt = "opts_instlist_inst";
    static constexpr std::string_view kNonePrompt = "opts_instlist_none";

    InstrumentListsForm(const InstrumentLists& lists, std::vector<InstrumentPortItem> ports,
                        std::string noneText = "** Unassigned **");

    // Rows of the "Port" list: the enabled ports by friendly name.
    std::vector<std::string> PortRows() const;
    // Rows of the "Assigned instrument" list: the none text, then every list.
    const std::vector<std::string>& InstrumentRows() const { return instrumentRows_; }

    // -1 when there are no enabled ports.
    int SelectedPort() const { return selectedPort_; }
    void SelectPort(int row);
    // 0 is the none row; row i + 1 is list i.
    int SelectedInstrument() const;
    void SelectInstrument(int row);

    // The edited table, for OK.
    const std::vector<std::uint32_t>& Assignments() const { return copy_; }
    void Accept(InstrumentLists& lists) const { lists.SetAssignments(copy_); }

  private:
    std::vector<InstrumentPortItem> ports_;
    std::vector<std::string> instrumentRows_;
    std::vector<std::uint32_t> copy_;
    int selectedPort_ = -1;
};

}  // namespace kvs
