#include "ui/qt/file_drop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace kvs {

std::optional<std::string> DroppedSongFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QFileInfo file(url.toLocalFile());
        const QString suffix = file.suffix().toLower();
        if (file.isFile() && (suffix == u"mid" || suffix == u"syx"))
            return file.absoluteFilePath().toStdString();
    }
    return std::nullopt;
}

}  // namespace kvs
