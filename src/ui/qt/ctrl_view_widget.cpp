#include "ui/qt/ctrl_view_widget.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <optional>

#include "ui/qt/key_modifiers.h"
#include "ui/qt/scroll_bar_sync.h"
#include "ui/qt/view_widget_input.h"

namespace kvs {
namespace {

std::optional<CtrlViewKey> ViewKey(int key) {
    switch (key) {
        case Qt::Key_Left:
            return CtrlViewKey::Left;
        case Qt::Key_Right:
            return CtrlViewKey::Right;
        case Qt::Key_Up:
            return CtrlViewKey::Up;
        case Qt::Key_Down:
            return CtrlViewKey::Down;
        case Qt::Key_Home:
            return CtrlViewKey::Home;
        case Qt::Key_End:
            return CtrlViewKey::End;
        case Qt::Key_Insert:
            return CtrlViewKey::Insert;
        case Qt::Key_Delete:
            return CtrlViewKey::Delete;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return CtrlViewKey::Enter;
        case Qt::Key_F4:
            return CtrlViewKey::F4;
        case Qt::Key_F5:
            return CtrlViewKey::F5;
        case Qt::Key_F6:
            return CtrlViewKey::F6;
        case Qt::Key_F7:
            return CtrlViewKey::F7;
        case Qt::Key_F8:
            return CtrlViewKey::F8;
        case Qt::Key_F10:
            return CtrlViewKey::F10;
        case Qt::Key_Menu:
            return CtrlViewKey::Menu;
        default:
            return std::nullopt;
    }
}

}  // namespace

CtrlViewWidget::CtrlViewWidget(CtrlView& view, QWidget* parent)
    : QAbstractScrollArea(parent), view_(view) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    ForwardBarActions(*this, [this](bool horizontal, ScrollAction action, std::uint32_t position) {
        if (!horizontal) return;  // the vertical bar is never shown
        view_.ScrollHorizontal(action, position);
        SyncBar();
    });
    view_.SetPainter(this);
    TakeFont();
    view_.SetClientSize(viewport()->width(), viewport()->height());
}

CtrlViewWidget::~CtrlViewWidget() {
    view_.SetPainter(nullptr);
}

void CtrlViewWidget::TakeFont() {
    const QFontMetrics metrics(font());
    view_.SetFontMetrics(std::max(metrics.averageCharWidth(), 1),
                         std::max(metrics.lineSpacing(), 1));
}

// The editor's keys are the view's, never a shortcut's.
bool CtrlViewWidget::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (ViewKey(key->key()) || (!ModifiersOf(*key).alt && LetterOrDigitOf(key->key()))) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CtrlViewWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) TakeFont();
    QAbstractScrollArea::changeEvent(event);
}

void CtrlViewWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    view_.SetClientSize(viewport()->width(), viewport()->height());
}

void CtrlViewWidget::scrollContentsBy(int, int) {}

void CtrlViewWidget::RepaintAll() {
    viewport()->update();
}

void CtrlViewWidget::CaretMoved() {
    viewport()->update(caret_);
    caret_ = view_.ShowsCaret() ? ToQRect(view_.CaretRect()) : QRect();
    viewport()->update(caret_);
}

void CtrlViewWidget::ScrollBarChanged() {
    SyncBar();
}

void CtrlViewWidget::SyncBar() {
    const ScrollBarState state = view_.HorizontalBar();
    ApplyScrollBarState(*horizontalScrollBar(), state,
                        static_cast<int>(std::max<std::uint32_t>(state.page, 1)));
}

void CtrlViewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    if (view_.GetSong() == nullptr) return;
    const QPalette& pal = palette();
    const QColor text = pal.color(QPalette::Text);
    const QColor highlight = pal.color(QPalette::Highlight);
    const int width = viewport()->width();
    const int height = viewport()->height();
    const int margin = view_.Margin();

    painter.setPen(text);
    const int rowHeight = fontMetrics().lineSpacing();
    painter.drawText(QRect(0, view_.MaxLabelY(), std::max(margin - 2, 1), rowHeight),
                     Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(view_.MaxLabel()));
    painter.drawText(QRect(0, view_.MinLabelY(), std::max(margin - 2, 1), rowHeight),
                     Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(view_.MinLabel()));

    QPen dotted(text, 0, Qt::DotLine);  // cosmetic: one device pixel at any scale
    painter.setPen(dotted);
    for (std::uint32_t j = 0; j < view_.BeatsVisible(); ++j) {
        const int x = view_.BeatLineX(j);
        painter.drawLine(x, 0, x, height);
    }
    for (int i = 0; i < 3; ++i) {
        const int y = view_.GuideY(i);
        painter.drawLine(margin - 5, y, width, y);
    }

    for (const CtrlView::Block& block : view_.Blocks())
        painter.fillRect(ToQRect(block.rect), block.selected ? highlight : text);

    if (view_.ShowsCaret()) {
        // Drawn inverted so it shows on a block as well as on the ground.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(ToQRect(view_.CaretRect()), Qt::white);
    }
}

void CtrlViewWidget::keyPressEvent(QKeyEvent* event) {
    const KeyModifiers mods = ModifiersOf(*event);
    if (const auto key = ViewKey(event->key());
        key && view_.KeyDown(*key, mods.shift, mods.ctrl, mods.alt)) {
        event->accept();
        return;
    }
    // Alt+letter belongs to the buttons' mnemonics.
    if (const char letter = LetterOrDigitOf(event->key());
        letter != 0 && !mods.alt && view_.LetterKey(letter)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// A click places the caret (the view snaps it).
void CtrlViewWidget::mousePressEvent(QMouseEvent* event) {
    PressIntoView(*this, event, view_);
}

void CtrlViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CtrlViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        emit contextMenuAt(event->pos());
    } else {
        view_.KeyDown(CtrlViewKey::Menu, false, false, false);
    }
    event->accept();
}

// The wheel turns pages; with Ctrl it halves or doubles the beats shown.
void CtrlViewWidget::wheelEvent(QWheelEvent* event) {
    const WheelTurn turn = TakeWheelTurn(*event, wheelRemainder_);
    if (ModifiersOf(*event).ctrl) {
        const std::uint32_t beats = ZoomedBeats(view_.BeatsVisible(), turn.notches);
        if (beats != view_.BeatsVisible()) view_.SetZoom(beats);
    } else {
        // Time is the only way this view scrolls.
        for (int i = 0; i < std::abs(turn.notches); ++i)
            view_.ScrollHorizontal(turn.notches > 0 ? ScrollAction::LineBack
                                                    : ScrollAction::LineForward);
    }
    SyncBar();
    event->accept();
}

void CtrlViewWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    view_.SetFocus(true);
    CaretMoved();
}

void CtrlViewWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    view_.SetFocus(false);
    CaretMoved();
}

}  // namespace kvs
