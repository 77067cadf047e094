#include "ui/qt/spin_field.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace kvs {

SpinField::SpinField(QWidget* parent, int maxChars)
    : QAbstractSpinBox(parent), maxChars_(maxChars) {
    lineEdit()->setMaxLength(maxChars);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    connect(lineEdit(), &QLineEdit::textEdited, this, &SpinField::Edited);
}

QString SpinField::Text() const {
    return lineEdit()->text();
}

void SpinField::SetText(const QString& text) {
    if (lineEdit()->text() == text) return;
    const int cursor = lineEdit()->cursorPosition();
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
}

// Room for the widest text the field takes ("-1" and five-digit banks
// included), plus the arrows and frame the style draws.
QSize SpinField::sizeHint() const {
    ensurePolished();
    const QFontMetrics fm = fontMetrics();
    const int textWidth = fm.horizontalAdvance(QString(maxChars_ + 1, u'8'));
    const int textHeight = lineEdit()->minimumSizeHint().height();
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize content(textWidth + 4, textHeight);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

}  // namespace kvs
