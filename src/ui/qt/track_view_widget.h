#pragma once

#include <QAbstractScrollArea>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <array>

#include "ui/track_view.h"

namespace kvs {

// Paints a TrackView in the system fixed-pitch font and feeds it keys, clicks
// and scroll-bar actions. The view model decides everything; this only draws
// what it is told changed. Keys the view does not use (characters,
// Ctrl+Insert, Ctrl+Delete) go on to the parent widget.
class TrackViewWidget final : public QAbstractScrollArea, public TrackViewPainter {
    Q_OBJECT

  public:
    explicit TrackViewWidget(TrackView& view, QWidget* parent = nullptr);
    ~TrackViewWidget() override;

    TrackView& View() { return view_; }
    // The main window passes the track list's row height so the rows line up.
    void SetRowHeight(int px);
    // After the song changed behind the view's back (edits, tracks added or
    // deleted): scroll ranges and every row.
    void Refresh();

    void RepaintAll() override;
    void RepaintRow(std::uint32_t visibleRow) override;
    void ScrollBarsChanged() override;
    void CaretMoved() override;

  signals:
    // Right button, or the menu key (then at the caret); the main window owns the menu.
    void contextMenuRequested(const QPoint& globalPos);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void TakeFont();
    void SyncBars();
    void PaintRow(QPainter& painter, std::uint32_t row, const QRect& highlight);
    QRect CaretQRect() const;

    TrackView& view_;
    QRawFont rawFont_;
    std::array<quint32, 4> glyphOf_{};  // ' ', '.', '*', '|'
    QRect caret_;                       // where the caret was last drawn
    int wheelRemainder_ = 0;
    // Reused by every row so painting allocates once.
    QList<quint32> indexes_[2];
    QList<QPointF> positions_[2];
    QGlyphRun run_;
};

}  // namespace kvs
