#include "config/instrument_lists_form.h"

#include <utility>

namespace kvs {

InstrumentListsForm::InstrumentListsForm(const InstrumentLists& lists,
                                         std::vector<InstrumentPortItem> ports,
                                         std::string noneText)
    : ports_(std::move(ports)), copy_(lists.Assignments()) {
    instrumentRows_.push_back(std::move(noneText));
    for (const auto& list : lists.Lists())
        instrumentRows_.push_back(list.name);
    // Stale or missing table entries read as unassigned.
    for (auto& index : copy_) {
        if (index >= lists.Lists().size()) index = kNoInstrumentList;
    }
    for (const auto& item : ports_) {
        if (item.port >= copy_.size()) copy_.resize(item.port + 1, kNoInstrumentList);
    }
    if (!ports_.empty()) selectedPort_ = 0;
}

std::vector<std::string> InstrumentListsForm::PortRows() const {
    std::vector<std::string> rows;
    rows.reserve(ports_.size());
    for (const auto& item : ports_)
        rows.push_back(item.name);
    return rows;
}

void InstrumentListsForm::SelectPort(int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < ports_.size()) selectedPort_ = row;
}

int InstrumentListsForm::SelectedInstrument() const {
    if (selectedPort_ < 0) return 0;
    const std::uint32_t index = copy_[ports_[static_cast<std::size_t>(selectedPort_)].port];
    return index == kNoInstrumentList ? 0 : static_cast<int>(index) + 1;
}

void InstrumentListsForm::SelectInstrument(int row) {
    if (selectedPort_ < 0 || row < 0 || static_cast<std::size_t>(row) >= instrumentRows_.size()) {
        return;
    }
    copy_[ports_[static_cast<std::size_t>(selectedPort_)].port] =
        row == 0 ? kNoInstrumentList : static_cast<std::uint32_t>(row - 1);
}

}  // namespace kvs
