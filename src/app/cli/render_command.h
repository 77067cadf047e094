#pragma once

#include <ostream>

#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"

namespace kvs {

// Renders the song through the built-in synthesizer, offline and as fast as
// the machine allows, into a 16-bit stereo WAV file (FLAC when the target
// ends in .flac); the same song gives the
// same file every time.
int RunRender(const CliOptions& options, CliSession& session, std::ostream& out, std::ostream& err);

}  // namespace kvs
