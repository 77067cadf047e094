#pragma once

#include <sys/stat.h>

#include <string>

namespace kvs {

// The file a path names once its links are followed, so that writing through
// a link writes the file it points to; the path itself when it names nothing yet.
std::string ResolveLinks(const std::string& path);

// Creates a file under a temporary name in target's folder, to be renamed
// over target once it is complete. It takes the existing target's permissions
// and owner (existing is null for a new file). Returns the descriptor and sets
// tempPath, or returns -1 with errno set and tempPath empty.
int CreateReplacementFile(const std::string& target, const struct stat* existing,
                          std::string& tempPath);

}  // namespace kvs
