#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace kvs::test {

// Runs act on the next modal window to open (a nested message box or a
// dialog started with exec()), from the event loop that exec() runs.
inline void OnNextModal(std::function<void(QWidget*)> act, QWidget* skip = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act), skip] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == skip) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

}  // namespace kvs::test
