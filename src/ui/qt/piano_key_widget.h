#pragma once

#include <QWidget>

namespace kvs {

class PianoKeys;

// The drawn piano keyboard: paints PianoKeys and hands it the mouse, the
// computer keys and the focus. Keys held down are shown highlighted.
class PianoKeyWidget : public QWidget {
    Q_OBJECT

  public:
    PianoKeyWidget(PianoKeys& keys, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // Something the keys tell their host may have changed (range, velocity).
    void Played();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    PianoKeys& keys_;
};

}  // namespace kvs
