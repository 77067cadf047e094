#include "ui/qt/icons.h"

#include <QFile>
#include <QString>

// Outside the namespace: the resource initialiser is a global symbol.
static void InitIconsQrc() {
    Q_INIT_RESOURCE(icons);
}

namespace kvs {

void InitIconResources() {
    static const bool done = [] {
        InitIconsQrc();
        return true;
    }();
    (void)done;
}

QIcon ApplicationIcon() {
    InitIconResources();
    return QIcon(QStringLiteral(":/icons/kavelsong.svg"));
}

QIcon ToolbarIcon(std::string_view name) {
    InitIconResources();
    const QString path =
        QStringLiteral(":/icons/%1.svg")
            .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace kvs
