#include "ui/qt/track_view_widget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <optional>

#include "ui/qt/key_modifiers.h"
#include "ui/qt/scroll_bar_sync.h"
#include "ui/qt/view_widget_input.h"

namespace kvs {

namespace {

std::optional<TrackViewKey> ViewKey(int key) {
    switch (key) {
        case Qt::Key_Left:
            return TrackViewKey::Left;
        case Qt::Key_Right:
            return TrackViewKey::Right;
        case Qt::Key_Up:
            return TrackViewKey::Up;
        case Qt::Key_Down:
            return TrackViewKey::Down;
        case Qt::Key_PageUp:
            return TrackViewKey::PageUp;
        case Qt::Key_PageDown:
            return TrackViewKey::PageDown;
        case Qt::Key_Home:
            return TrackViewKey::Home;
        case Qt::Key_End:
            return TrackViewKey::End;
        case Qt::Key_Insert:
            return TrackViewKey::Insert;
        case Qt::Key_Delete:
            return TrackViewKey::Delete;
        default:
            return std::nullopt;
    }
}

// The keys the view takes for itself even where a menu shortcut uses them.
bool ViewOwnsKey(const QKeyEvent& event) {
    const auto key = ViewKey(event.key());
    if (!key) return false;
    return !(ModifiersOf(event).ctrl &&
             (*key == TrackViewKey::Insert || *key == TrackViewKey::Delete));
}

}  // namespace

TrackViewWidget::TrackViewWidget(TrackView& view, QWidget* parent)
    : QAbstractScrollArea(parent), view_(view) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ForwardScrollBars(*this, view_);
    view_.SetPainter(this);
    TakeFont();
    view_.SetClientSize(static_cast<std::uint32_t>(viewport()->width()),
                        static_cast<std::uint32_t>(viewport()->height()));
}

TrackViewWidget::~TrackViewWidget() {
    view_.SetPainter(nullptr);
}

void TrackViewWidget::SetRowHeight(int px) {
    view_.SetRowHeight(static_cast<std::uint32_t>(std::max(px, 0)));
}

void TrackViewWidget::TakeFont() {
    const QFontMetricsF metrics(font());
    // Whole pixels per column, never narrower than a glyph, so glyphs never
    // touch and the caret and highlight fall exactly on the columns.
    const auto width =
        static_cast<std::uint32_t>(std::ceil(metrics.horizontalAdvance(QLatin1Char('0'))));
    const auto height = static_cast<std::uint32_t>(std::ceil(metrics.lineSpacing()));
    rawFont_ = QRawFont::fromFont(font());
    const QList<quint32> glyphs = rawFont_.glyphIndexesForString(QStringLiteral(" .*|"));
    for (qsizetype i = 0; i < glyphs.size() && i < 4; ++i)
        glyphOf_[static_cast<std::size_t>(i)] = glyphs[i];
    run_.setRawFont(rawFont_);
    view_.SetFontMetrics(std::max<std::uint32_t>(width, 1), std::max<std::uint32_t>(height, 1));
}

bool TrackViewWidget::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && ViewOwnsKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void TrackViewWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) TakeFont();
    QAbstractScrollArea::changeEvent(event);
}

void TrackViewWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    view_.SetClientSize(static_cast<std::uint32_t>(viewport()->width()),
                        static_cast<std::uint32_t>(viewport()->height()));
}

// The bars only report what the user did; the view decides where it goes.
void TrackViewWidget::scrollContentsBy(int, int) {}

void TrackViewWidget::Refresh() {
    SyncBars();
    viewport()->update();
}

void TrackViewWidget::RepaintAll() {
    viewport()->update();
}

void TrackViewWidget::RepaintRow(std::uint32_t visibleRow) {
    const int height = static_cast<int>(view_.RowHeight());
    viewport()->update(
        QRect(0, static_cast<int>(visibleRow) * height, viewport()->width(), height));
}

void TrackViewWidget::CaretMoved() {
    viewport()->update(caret_);
    caret_ = CaretQRect();
    viewport()->update(caret_);
}

QRect TrackViewWidget::CaretQRect() const {
    return ToQRect(view_.CaretRect());
}

void TrackViewWidget::ScrollBarsChanged() {
    SyncBars();
}

void TrackViewWidget::SyncBars() {
    ApplyScrollBars(*this, view_);
}

void TrackViewWidget::keyPressEvent(QKeyEvent* event) {
    const auto key = ViewKey(event->key());
    const KeyModifiers mods = ModifiersOf(*event);
    if (key && view_.KeyDown(*key, mods.shift, mods.ctrl))
        event->accept();
    else
        event->ignore();  // on to the parent: the main window routes it
}

void TrackViewWidget::mousePressEvent(QMouseEvent* event) {
    PressIntoView(*this, event, view_);
}

void TrackViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void TrackViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Mouse
                          ? event->pos()
                          : CaretQRect().bottomLeft() + QPoint(0, 1);
    emit contextMenuRequested(viewport()->mapToGlobal(at));
    event->accept();
}

void TrackViewWidget::wheelEvent(QWheelEvent* event) {
    ScrollByWheel(view_, TakeWheelTurn(*event, wheelRemainder_), QApplication::wheelScrollLines());
    event->accept();
}

void TrackViewWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    CaretMoved();
}

void TrackViewWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    CaretMoved();
}

void TrackViewWidget::paintEvent(QPaintEvent* event) {
    if (view_.GetSong() == nullptr) return;
    QPainter painter(viewport());
    const QRect clip = event->rect();
    const int height = static_cast<int>(view_.RowHeight());
    QRect highlight;
    if (const auto selection = view_.SelectionRect()) {
        highlight = ToQRect(*selection);
        painter.fillRect(highlight.intersected(clip), palette().brush(QPalette::Highlight));
    }
    if (height > 0) {
        const auto rows = view_.VisibleRowCount();
        const auto first = static_cast<std::uint32_t>(std::max(clip.top(), 0) / height);
        const auto last =
            std::min(static_cast<std::uint32_t>(std::max(clip.bottom(), 0) / height) + 1, rows);
        for (std::uint32_t row = first; row < last; ++row)
            PaintRow(painter, row, highlight);
    }
    if (hasFocus()) painter.fillRect(CaretQRect(), palette().brush(QPalette::Text));
}

void TrackViewWidget::PaintRow(QPainter& painter, std::uint32_t row, const QRect& highlight) {
    char text[TrackView::kMaxColumns];
    const std::uint32_t count = view_.BuildRow(row, text);
    if (count == 0) return;
    const int width = static_cast<int>(view_.CharWidth());
    const int height = static_cast<int>(view_.RowHeight());
    const int top = static_cast<int>(row) * height;
    const qreal baseline =
        top + (height - rawFont_.ascent() - rawFont_.descent()) / 2 + rawFont_.ascent();
    const bool rowLit = highlight.isValid() && top >= highlight.top() && top < highlight.bottom();
    for (int k = 0; k < 2; ++k) {
        indexes_[k].clear();
        positions_[k].clear();
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const char c = text[i];
        if (c == ' ') continue;
        const int x = static_cast<int>(i) * width;
        const int lit = rowLit && x >= highlight.left() && x < highlight.right() ? 1 : 0;
        indexes_[lit].append(glyphOf_[c == '.' ? 1 : c == '*' ? 2 : 3]);
        positions_[lit].append(QPointF(x, std::round(baseline)));
    }
    for (int k = 0; k < 2; ++k) {
        if (indexes_[k].isEmpty()) continue;
        run_.setGlyphIndexes(indexes_[k]);
        run_.setPositions(positions_[k]);
        painter.setPen(palette().color(k == 0 ? QPalette::Text : QPalette::HighlightedText));
        painter.drawGlyphRun(QPointF(0, 0), run_);
    }
}

}  // namespace kvs
