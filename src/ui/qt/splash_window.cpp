#include "ui/qt/splash_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

#include "ui/qt/icons.h"

namespace kvs {

SplashWindow::SplashWindow(const std::string& version)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      text_(QStringLiteral("KVS\nVersion %1").arg(QString::fromStdString(version))) {
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SplashWindow::ShowNow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
    show();
    repaint();
}

void SplashWindow::paintEvent(QPaintEvent*) {
    InitIconResources();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QSvgRenderer picture(QStringLiteral(":/icons/splash.svg"));
    if (picture.isValid()) {
        picture.render(&painter, QRectF(0, 0, kWidth, kHeight));
    } else {
        painter.fillRect(rect(), Qt::white);
    }
    QFont font = painter.font();
    font.setPointSize(10);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(20, 150, kWidth - 40, kHeight - 160), Qt::AlignLeft | Qt::AlignTop,
                     text_);
}

}  // namespace kvs
