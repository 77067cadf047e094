#pragma once

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace kvs::test {

// With KVS_SHOT_DIR set (scripts/screenshots.sh), writes the widget as it
// now looks to KVS_SHOT_DIR/NAME KVS_SHOT_SUFFIX.png; otherwise nothing.
inline void SaveShot(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("KVS_SHOT_DIR");
    if (dir.isEmpty() || widget == nullptr) return;
    QDir().mkpath(dir);
    widget->grab().save(dir + "/" + name + qEnvironmentVariable("KVS_SHOT_SUFFIX") + ".png");
}

}  // namespace kvs::test
