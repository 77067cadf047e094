#pragma once

#include <QAbstractSpinBox>

namespace kvs {

// A text field with spin arrows whose text and steps belong to a form: it
// takes any text up to maxChars (the form decides what a value is) and
// reports steps instead of counting them itself.
class SpinField : public QAbstractSpinBox {
    Q_OBJECT

  public:
    SpinField(QWidget* parent, int maxChars);

    QString Text() const;
    // Shows the form's text; the cursor stays where it was when it fits.
    void SetText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  signals:
    void Edited(const QString& text);
    void Stepped(int steps);

  protected:
    void stepBy(int steps) override { emit Stepped(steps); }
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
    QValidator::State validate(QString& /*input*/, int& /*pos*/) const override {
        return QValidator::Acceptable;
    }

  private:
    int maxChars_;
};

}  // namespace kvs
