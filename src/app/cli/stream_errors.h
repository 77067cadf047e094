#pragma once

#include <ostream>
#include <string>

#include "midi/midi_device_table.h"

namespace kvs {

// Device errors of a command, reported on its error stream.
class StreamErrors : public MidiErrorReporter {
  public:
    explicit StreamErrors(std::ostream& err) : err_(err) {}
    void ShowError(const std::string& text) override { err_ << "kvs-cli: " << text << "\n"; }

  private:
    std::ostream& err_;
};

}  // namespace kvs
