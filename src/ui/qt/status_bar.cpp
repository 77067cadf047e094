#include "ui/qt/status_bar.h"

#include <QLabel>

namespace kvs {

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent) {
    static constexpr std::array<int, 6> kStretch{4, 2, 1, 1, 1, 1};
    setSizeGripEnabled(false);
    setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        auto* label = new QLabel(this);
        // Ignored: a long text must not widen its part and shift the others.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setContentsMargins(4, 0, 4, 0);
        addWidget(label, kStretch[i]);
        parts_[i] = label;
    }
}

void StatusBar::SetTexts(const std::array<std::string, 6>& texts) {
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        const QString text = QString::fromStdString(texts[i]);
        if (parts_[i]->text() != text) parts_[i]->setText(text);
    }
}

QString StatusBar::Text(int part) const {
    return part >= 0 && part < static_cast<int>(parts_.size()) ? parts_[part]->text() : QString();
}

}  // namespace kvs
