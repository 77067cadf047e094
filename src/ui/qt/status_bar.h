#pragma once

#include <QStatusBar>
#include <array>
#include <string>

class QLabel;

namespace kvs {

// Six borderless parts whose widths stay 40/20/10/10/10/10 % of the window,
// whatever their texts.
class StatusBar final : public QStatusBar {
    Q_OBJECT

  public:
    explicit StatusBar(QWidget* parent = nullptr);
    void SetTexts(const std::array<std::string, 6>& texts);
    QString Text(int part) const;

  private:
    std::array<QLabel*, 6> parts_{};
};

}  // namespace kvs
