#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace kvs {

// Wakes the window thread when the engine posts a notification: a
// QSocketNotifier on the program's wake-up descriptor, so nothing polls and
// the timer thread never calls Qt.
class EngineWakeup final : public QObject {
    Q_OBJECT

  public:
    EngineWakeup(int fd, std::function<void()> onWake, QObject* parent = nullptr);

  private:
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> onWake_;
};

}  // namespace kvs
