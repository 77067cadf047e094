#pragma once

#include <QAbstractScrollArea>
#include <QRect>

#include "ui/note_view.h"

namespace kvs {

// Paints a NoteView (key labels, beat lines, notes, caret) and feeds it
// keys, clicks, wheel turns and scroll-bar actions. Only the notes the view
// lists, those that touch the visible beats, are ever looked at.
//
// Where the view model has no rule: a double click asks for a note to be
// inserted at the caret, the wheel scrolls the keys (sideways, or with
// Shift, a page of beats per notch) and Ctrl+wheel halves or doubles the
// beats shown.
class NoteViewWidget final : public QAbstractScrollArea, public NoteViewPainter {
    Q_OBJECT

  public:
    explicit NoteViewWidget(NoteView& view, QWidget* parent = nullptr);
    ~NoteViewWidget() override;

    NoteView& View() { return view_; }

    void RepaintAll() override;
    void ScrollBarsChanged() override;
    void CaretMoved() override;
    void OpenContextMenu(std::int32_t x, std::int32_t y) override;

  signals:
    void contextMenuRequested(const QPoint& globalPos);
    void insertRequested();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
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
    QRect CaretQRect() const;

    NoteView& view_;
    NoteFrame frame_;  // reused by every paint
    QRect caret_;      // where the caret was last drawn
    int wheelRemainder_ = 0;
};

}  // namespace kvs
