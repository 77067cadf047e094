#include "ui/qt/engine_wakeup.h"

#include <QSocketNotifier>

namespace kvs {

EngineWakeup::EngineWakeup(int fd, std::function<void()> onWake, QObject* parent)
    : QObject(parent), onWake_(std::move(onWake)) {
    if (fd < 0) return;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        if (onWake_) onWake_();
    });
}

}  // namespace kvs
