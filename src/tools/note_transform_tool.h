#pragma once

#include <string>
#include <vector>

#include "tools/note_transform_file.h"

namespace kvs {

class PromptTable;

// The transforms the Note transform tool offers, loaded once at start-up.
NoteTransforms& NoteTransformStore();

// Loads the store from the preset and user files; the messages of maps that
// could not be read go to *errors.
bool LoadNoteTransformStore(const std::string& presetPath, const std::string& userPath,
                            const PromptTable& prompts, std::vector<std::string>* errors);

}  // namespace kvs
