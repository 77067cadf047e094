#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>

#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"

namespace kvs {

class Engine;
class Song;

// The output a --port value names: a port number below the output count, or
// a friendly name, system name or port alias, in that order.
std::optional<std::uint32_t> FindPlayPort(const MidiDeviceTable& table, std::string_view text);

// Gives the engine the tempo and time signature in force at beat, as if the
// song had played up to there.
void SetTempoAtBeat(Engine& engine, const Song& song, std::uint32_t beat);

// Plays the song in real time to one output until its end or Ctrl-C.
int RunPlay(const CliOptions& options, CliSession& session, std::ostream& out, std::ostream& err);

}  // namespace kvs
