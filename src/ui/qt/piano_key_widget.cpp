#include "ui/qt/piano_key_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "midi/piano_keys.h"

namespace kvs {
namespace {

// A piano looks the same in every theme; only the held keys and the focus
// take the palette's highlight.
const QColor kGap(Qt::black);
const QColor kWhite(Qt::white);
const QColor kBlack(0x40, 0x40, 0x40);

QRect ToRect(const KeyRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

PianoKeyWidget::PianoKeyWidget(PianoKeys& keys, QWidget* parent) : QWidget(parent), keys_(keys) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PianoKeyWidget::sizeHint() const {
    const int unit = fontMetrics().height();
    return {std::max(keys_.WhiteCount(), 1) * unit * 3 / 2, unit * 6};
}

QSize PianoKeyWidget::minimumSizeHint() const {
    return {std::max(keys_.WhiteCount(), 1) * 8, fontMetrics().height() * 3};
}

void PianoKeyWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kGap);
    const QColor held = palette().color(QPalette::Highlight);
    for (const PianoKeyShape& shape : keys_.Shapes()) {
        const QColor colour = keys_.Sounding(shape.key) ? held : shape.black ? kBlack : kWhite;
        painter.fillRect(ToRect(shape.rect), colour);
    }
    if (keys_.Focused()) {
        QPen pen(held, 2, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void PianoKeyWidget::resizeEvent(QResizeEvent* /*event*/) {
    keys_.Resize(width(), height());
}

void PianoKeyWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    if (keys_.MouseDown(at.x(), at.y())) setFocus(Qt::MouseFocusReason);
    update();
}

void PianoKeyWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    keys_.MouseUp();
    update();
}

void PianoKeyWidget::keyPressEvent(QKeyEvent* event) {
    const auto key = static_cast<std::uint32_t>(event->key());
    keys_.KeyDown(key, event->isAutoRepeat());
    update();
    emit Played();
    // Escape, Return and the like still work the dialog.
    if (!PianoKeys::WantsKey(key)) event->ignore();
}

void PianoKeyWidget::keyReleaseEvent(QKeyEvent* event) {
    keys_.KeyUp(static_cast<std::uint32_t>(event->key()), event->isAutoRepeat());
    update();
}

void PianoKeyWidget::focusInEvent(QFocusEvent* event) {
    keys_.FocusIn();
    QWidget::focusInEvent(event);
    update();
}

void PianoKeyWidget::focusOutEvent(QFocusEvent* event) {
    keys_.FocusOut();
    QWidget::focusOutEvent(event);
    update();
}

void PianoKeyWidget::hideEvent(QHideEvent* event) {
    // Closing the window with a key still down must not leave it sounding.
    keys_.FocusOut();
    QWidget::hideEvent(event);
}

}  // namespace kvs
