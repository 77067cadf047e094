#pragma once

#include <QString>

namespace kvs {

// Opens help/index.html of the data folder in the user's browser; false
// when the page is missing or no browser took it.
bool OpenHelpContents(const QString& dataFolder);

}  // namespace kvs
