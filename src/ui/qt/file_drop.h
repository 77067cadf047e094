#pragma once

#include <optional>
#include <string>

class QMimeData;

namespace kvs {

// The song file among dropped data: the first local .mid or .syx file
// (either case), as Open would take it.
std::optional<std::string> DroppedSongFile(const QMimeData* data);

}  // namespace kvs
