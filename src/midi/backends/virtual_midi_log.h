#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "files/file_result.h"
#include "midi/backends/virtual_midi.h"

namespace kvs {

// One line of the MIDI log: milliseconds since start with three decimals,
// the port, the bytes in hex, e.g. "12.345 0 90 3C 64".
std::string FormatLogLine(std::chrono::nanoseconds sinceStart, std::uint32_t port,
                          const RecordedMidiMessage& message);

// The whole log of what one output received, in arrival order.
std::string FormatLog(std::chrono::steady_clock::time_point start, std::uint32_t port,
                      std::span<const RecordedMidiMessage> messages);

// Writes every message the outputs of a virtual layer received to one file,
// each output's index as its port, in arrival order. The file is rewritten
// whole on each flush; the layer must outlive the log.
class VirtualMidiLog {
  public:
    VirtualMidiLog(VirtualMidiLayer& layer, std::string path);
    // Flushes what a last flush missed, so that an exit without one still
    // leaves the log; errors are lost then. A run that sent nothing leaves
    // the file as it was.
    ~VirtualMidiLog();
    VirtualMidiLog(const VirtualMidiLog&) = delete;
    VirtualMidiLog& operator=(const VirtualMidiLog&) = delete;

    // Times count from now on.
    void Restart() { start_ = std::chrono::steady_clock::now(); }
    // Writes the log, unless it was written and nothing was sent since.
    ResultCode Flush();
    const std::string& Path() const { return path_; }

  private:
    ResultCode Write(bool evenEmpty);

    VirtualMidiLayer& layer_;
    std::string path_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::size_t flushed_ = 0;
    bool written_ = false;
};

}  // namespace kvs
