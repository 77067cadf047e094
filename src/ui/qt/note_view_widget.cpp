#include "ui/qt/note_view_widget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

#include "ui/qt/key_modifiers.h"
#include "ui/qt/scroll_bar_sync.h"
#include "ui/qt/view_widget_input.h"

namespace kvs {

namespace {

std::optional<NoteViewKey> ViewKey(int key) {
    switch (key) {
        case Qt::Key_Left:
            return NoteViewKey::Left;
        case Qt::Key_Right:
            return NoteViewKey::Right;
        case Qt::Key_Up:
            return NoteViewKey::Up;
        case Qt::Key_Down:
            return NoteViewKey::Down;
        case Qt::Key_Home:
            return NoteViewKey::Home;
        case Qt::Key_End:
            return NoteViewKey::End;
        case Qt::Key_Insert:
            return NoteViewKey::Insert;
        case Qt::Key_Delete:
            return NoteViewKey::Delete;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return NoteViewKey::Enter;
        case Qt::Key_F4:
            return NoteViewKey::F4;
        case Qt::Key_F5:
            return NoteViewKey::F5;
        case Qt::Key_F6:
            return NoteViewKey::F6;
        case Qt::Key_F7:
            return NoteViewKey::F7;
        case Qt::Key_F8:
            return NoteViewKey::F8;
        case Qt::Key_F10:
            return NoteViewKey::F10;
        default:
            break;
    }
    // Letters and digits may be one of the editor's mnemonic keys.
    if (LetterOrDigitOf(key) != 0) return NoteViewKey::Other;
    return std::nullopt;
}

}  // namespace

NoteViewWidget::NoteViewWidget(NoteView& view, QWidget* parent)
    : QAbstractScrollArea(parent), view_(view) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    // Fixed pitch, so that every note name fits the five-character margin.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ForwardScrollBars(*this, view_);
    view_.SetPainter(this);
    TakeFont();
}

NoteViewWidget::~NoteViewWidget() {
    view_.SetPainter(nullptr);
}

void NoteViewWidget::TakeFont() {
    const QFontMetrics metrics(font());
    view_.SetFontMetrics(metrics.averageCharWidth(), metrics.lineSpacing());
}

bool NoteViewWidget::event(QEvent* event) {
    // Alt+letter stays the buttons' mnemonic; the view's own keys are its.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto viewKey = ViewKey(key->key());
        if (viewKey && *viewKey != NoteViewKey::Other) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void NoteViewWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) TakeFont();
    QAbstractScrollArea::changeEvent(event);
}

// Only a shown view has its real size; the key rows kept in view follow it.
void NoteViewWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (isVisible()) view_.SetClientSize(viewport()->width(), viewport()->height());
}

void NoteViewWidget::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    view_.SetClientSize(viewport()->width(), viewport()->height());
}

// The bars only report what the user did; the view decides where it goes.
void NoteViewWidget::scrollContentsBy(int, int) {}

void NoteViewWidget::RepaintAll() {
    viewport()->update();
}

void NoteViewWidget::ScrollBarsChanged() {
    SyncBars();
}

void NoteViewWidget::CaretMoved() {
    viewport()->update(caret_);
    caret_ = CaretQRect();
    viewport()->update(caret_);
}

QRect NoteViewWidget::CaretQRect() const {
    if (!hasFocus()) return {};
    const std::optional<CellRect> caret = view_.CaretRect();
    return caret ? ToQRect(*caret) : QRect();
}

void NoteViewWidget::OpenContextMenu(std::int32_t x, std::int32_t y) {
    // From the keyboard: below the caret's row, so the menu does not hide it.
    const QPoint at(x, y + QFontMetrics(font()).lineSpacing());
    emit contextMenuRequested(viewport()->mapToGlobal(at));
}

void NoteViewWidget::SyncBars() {
    ApplyScrollBars(*this, view_);
}

void NoteViewWidget::keyPressEvent(QKeyEvent* event) {
    const auto key = ViewKey(event->key());
    const KeyModifiers mods = ModifiersOf(*event);
    const auto virtualKey = static_cast<std::uint32_t>(event->key());
    if (key && view_.KeyDown(*key, mods.shift, mods.ctrl, mods.alt, virtualKey))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);  // Escape and the rest: the dialog's
}

void NoteViewWidget::mousePressEvent(QMouseEvent* event) {
    PressIntoView(*this, event, view_);
}

void NoteViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton && event->position().x() > view_.Margin())
        emit insertRequested();
}

// The menu key arrives here, as a context-menu request from the keyboard.
void NoteViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse)
        emit contextMenuRequested(event->globalPos());
    else
        view_.KeyDown(NoteViewKey::ContextMenu, false, false, false);
    event->accept();
}

void NoteViewWidget::wheelEvent(QWheelEvent* event) {
    const WheelTurn turn = TakeWheelTurn(*event, wheelRemainder_);
    event->accept();
    if (ModifiersOf(*event).ctrl) {
        const std::uint32_t beats = ZoomedBeats(view_.BeatsVisible(), turn.notches);
        if (beats != view_.BeatsVisible()) view_.SetZoom(beats);
        return;
    }
    ScrollByWheel(view_, turn, QApplication::wheelScrollLines());
}

void NoteViewWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    view_.SetFocus(true);
}

void NoteViewWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    view_.SetFocus(false);
}

void NoteViewWidget::paintEvent(QPaintEvent* event) {
    view_.BuildFrame(frame_);
    QPainter painter(viewport());
    painter.setClipRect(event->rect());
    const QColor text = palette().color(QPalette::Text);
    const int rowHeight = QFontMetrics(font()).lineSpacing();
    const int margin = view_.Margin();
    painter.setPen(text);
    for (const NoteFrame::Label& label : frame_.labels)
        painter.drawText(QRect(2, label.y, std::max(margin - 2, 1), rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(label.text));
    painter.setPen(QPen(text, 0, Qt::DotLine));
    const int bottom = viewport()->height();
    for (const std::int32_t x : frame_.beatLines)
        painter.drawLine(x, 0, x, bottom);
    // A pixel row left free under each note keeps neighbouring keys apart.
    const auto bar = [](const CellRect& r) {
        return QRect(r.x, r.y, r.width, std::max(r.height - 1, 1));
    };
    const QBrush ink = palette().brush(QPalette::Text);
    for (const CellRect& r : frame_.notes)
        painter.fillRect(bar(r), ink);
    if (frame_.selected)
        painter.fillRect(bar(*frame_.selected), palette().brush(QPalette::Highlight));
    if (hasFocus()) painter.fillRect(CaretQRect(), ink);
}

}  // namespace kvs
