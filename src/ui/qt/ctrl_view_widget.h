#pragma once

#include <QAbstractScrollArea>
#include <QRect>

#include "ui/ctrl_view.h"

namespace kvs {

// Paints a CtrlView and feeds it keys, clicks, the wheel and the scroll
// bar. The view model decides everything; this only draws.
class CtrlViewWidget final : public QAbstractScrollArea, public CtrlViewPainter {
    Q_OBJECT

  public:
    explicit CtrlViewWidget(CtrlView& view, QWidget* parent = nullptr);
    ~CtrlViewWidget() override;

    CtrlView& View() { return view_; }

    void RepaintAll() override;
    void ScrollBarChanged() override;
    void CaretMoved() override;

  signals:
    // Right button at a point of the viewport; the dialog owns the menu.
    void contextMenuAt(const QPoint& viewportPos);

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
    void SyncBar();

    CtrlView& view_;
    QRect caret_;  // where the caret was last drawn
    int wheelRemainder_ = 0;
};

}  // namespace kvs
