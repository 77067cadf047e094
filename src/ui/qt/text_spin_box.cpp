#include "ui/qt/text_spin_box.h"

#include <QLineEdit>
#include <algorithm>

#include "model/form_number.h"
#include "model/value_format.h"

namespace kvs {

TextSpinBox::TextSpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(true);
}

void TextSpinBox::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    update();
}

void TextSpinBox::SetMaxLength(int length) {
    lineEdit()->setMaxLength(length);
}

void TextSpinBox::SetText(const QString& text) {
    lineEdit()->setText(text);
}

std::optional<int> TextSpinBox::Value() const {
    const std::string text = lineEdit()->text().toStdString();
    if (noteNames_) {
        const int key = ParseNoteName(text);
        if (key >= 0) return key;
    }
    const std::optional<std::int64_t> v = ReadSignedField(text);
    if (!v) return std::nullopt;
    return static_cast<int>(std::clamp<std::int64_t>(*v, INT32_MIN, INT32_MAX));
}

void TextSpinBox::stepBy(int steps) {
    const int now = Value().value_or(min_);
    const int next =
        static_cast<int>(std::clamp<std::int64_t>(std::int64_t{now} + steps, min_, max_));
    std::string shown = noteNames_ ? FormatNoteName(next) : std::string();
    if (shown.empty()) shown = std::to_string(next);
    lineEdit()->setText(QString::fromStdString(shown));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled TextSpinBox::stepEnabled() const {
    if (isReadOnly() || !isEnabled()) return StepNone;
    const std::optional<int> v = Value();
    if (!v) return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (*v < max_) enabled |= StepUpEnabled;
    if (*v > min_) enabled |= StepDownEnabled;
    return enabled;
}

}  // namespace kvs
