#include "ui/qt/tip_of_day_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "config/settings.h"
#include "ui/help_texts.h"
#include "ui/qt/icons.h"

namespace kvs {

TipOfDayDialog::TipOfDayDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                               Settings& settings)
    : DialogBase(parent, prompts, help),
      settings_(settings),
      tip_(new QLabel(this)),
      startUp_(new QCheckBox(this)) {
    setWindowTitle(Prompt(prompt::help_tipofday_title));
    auto* intro = new QLabel(Prompt(prompt::help_tipofday_intro), this);
    QFont introFont = intro->font();
    introFont.setBold(true);
    introFont.setPointSizeF(introFont.pointSizeF() * 1.25);
    intro->setFont(introFont);

    QFont tipFont = tip_->font();
    tipFont.setPointSize(kTipPointSize);
    tip_->setFont(tipFont);
    tip_->setWordWrap(true);
    tip_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    tip_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Tall enough for the longest tip, so the box keeps its size on Next Tip.
    const QFontMetrics tipMetrics(tipFont);
    const int width = tipMetrics.averageCharWidth() * 40;
    int height = tipMetrics.lineSpacing() * 4;
    for (int i = 0; i < kTipCount; ++i) {
        const QString text = Prompt(static_cast<prompt::Id>(prompt::help_tipofday_000 + i));
        height = std::max(
            height,
            tipMetrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text).height());
    }
    tip_->setFixedSize(width, height);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setBackgroundRole(QPalette::Base);
    frame->setAutoFillBackground(true);
    auto* bulb = new QLabel(frame);
    const int side = fontMetrics().height() * 3;
    bulb->setPixmap(ApplicationIcon().pixmap(side, side));
    bulb->setAlignment(Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(intro);
    texts->addWidget(tip_, 1);
    auto* inner = new QHBoxLayout(frame);
    inner->addWidget(bulb);
    inner->addLayout(texts, 1);

    startUp_->setText(Prompt(prompt::help_tipofday_startup));
    startUp_->setAccessibleName(WithoutMnemonic(startUp_->text()));
    startUp_->setChecked(settings_.general.tipOfDayStartup);
    SetHelp(startUp_, help_id::kTipStartup);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* next =
        buttons->addButton(Prompt(prompt::help_tipofday_next), QDialogButtonBox::ActionRole);
    next->setAccessibleName(WithoutMnemonic(next->text()));
    SetHelp(next, help_id::kTipNext);
    QPushButton* close = buttons->addButton(Prompt(prompt::close), QDialogButtonBox::RejectRole);
    close->setAccessibleName(WithoutMnemonic(close->text()));
    close->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TipOfDayDialog::NextTip);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(startUp_);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    NextTip();
}

void TipOfDayDialog::NextTip() {
    const std::uint32_t number = settings_.TakeTipOfDay();
    tip_->setText(Prompt(static_cast<prompt::Id>(prompt::help_tipofday_000 + number)));
}

void TipOfDayDialog::done(int result) {
    settings_.general.tipOfDayStartup = startUp_->isChecked();
    DialogBase::done(result);
}

}  // namespace kvs
