#pragma once

#include <QWidget>
#include <string>

namespace kvs {

// The start-up picture, "KVS" and the version over it; a frameless window
// centred on the screen from the main window's creation to the end of
// start-up.
class SplashWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 300;

    explicit SplashWindow(const std::string& version);

    // Shows it centred and paints it at once, before start-up blocks the loop.
    void ShowNow();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

}  // namespace kvs
