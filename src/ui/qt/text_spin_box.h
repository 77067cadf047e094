#pragma once

#include <QAbstractSpinBox>
#include <optional>

namespace kvs {

// An edit box with up and down arrows whose text stays the caller's: the
// arrows step the number it holds (or the key of a note name) within a
// range, but anything may be typed and the form reads it on OK.
class TextSpinBox : public QAbstractSpinBox {
    Q_OBJECT

  public:
    explicit TextSpinBox(QWidget* parent);

    void SetRange(int min, int max);
    // Steps show a note name instead of a number.
    void SetNoteNames(bool on) { noteNames_ = on; }
    void SetMaxLength(int length);
    void SetText(const QString& text);

    void stepBy(int steps) override;

  protected:
    StepEnabled stepEnabled() const override;

  private:
    // The number shown, or nothing when the text is not one.
    std::optional<int> Value() const;

    int min_ = 0;
    int max_ = 0;
    bool noteNames_ = false;
};

}  // namespace kvs
