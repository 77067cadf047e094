#include "ui/qt/help_contents.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kvs {

bool OpenHelpContents(const QString& dataFolder) {
    if (dataFolder.isEmpty()) return false;
    const QFileInfo page(QDir(dataFolder).filePath(QStringLiteral("help/index.html")));
    if (!page.isFile()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(page.absoluteFilePath()));
}

}  // namespace kvs
