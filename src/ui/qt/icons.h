#pragma once

#include <QIcon>
#include <string_view>

namespace kvs {

// Registers the compiled-in pictures; call once before the first icon.
void InitIconResources();
// The program's icon.
QIcon ApplicationIcon();
// A toolbar picture by base name ("new", "open", ...); null for an unknown one.
QIcon ToolbarIcon(std::string_view name);

}  // namespace kvs
