#pragma once

#include <optional>

#include "ui/file_dialog_request.h"

class QWidget;

namespace kvs {

// The Open or Save dialog the request describes; nothing on Cancel. Open
// takes only an existing file; Save confirms replacing one and adds the
// chosen filter's extension to a name without one.
std::optional<UiHost::FileChoice> RunFileDialog(QWidget* parent, const FileDialogRequest& request);

}  // namespace kvs
