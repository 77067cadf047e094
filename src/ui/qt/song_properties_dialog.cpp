#include "ui/qt/song_properties_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/property_help_ids.h"

namespace kvs {

SongPropertiesDialog::SongPropertiesDialog(QWidget* parent, const PromptTable& prompts,
                                           const HelpTexts* help, SongPropertiesForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      name_(new QLineEdit(this)),
      copyright_(new QLineEdit(this)) {
    setWindowTitle(Prompt(prompts::kSongPropTitle));
    for (QLineEdit* edit : {name_, copyright_}) {
        edit->setMaxLength(static_cast<int>(SongPropertiesForm::kTextChars));
        // Room for a sentence; longer texts scroll.
        edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 40);
    }
    name_->setText(ToQString(form_.Name()));
    copyright_->setText(ToQString(form_.Copyright()));
    SetHelp(name_, help_id::kSongName);
    SetHelp(copyright_, help_id::kSongCopyright);

    auto* fields = new QFormLayout;
    fields->addRow(BuddyLabel(Prompt(prompts::kSongPropName), name_), name_);
    fields->addRow(BuddyLabel(Prompt(prompts::kSongPropCopyright), copyright_), copyright_);

    auto* info = new QGroupBox(Prompt(prompts::kSongPropInfo), this);
    auto* totals = new QFormLayout(info);
    const auto addTotal = [&](const PromptText& label, const std::string& value) {
        auto* shown = new QLabel(ToQString(value), info);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        shown->setAccessibleName(WithoutMnemonic(Prompt(label)));
        totals->addRow(new QLabel(Prompt(label), info), shown);
    };
    addTotal(prompts::kSongPropTracks, form_.TracksText());
    addTotal(prompts::kSongPropEvents, form_.EventsText());
    addTotal(prompts::kSongPropBars, form_.LengthText());
    addTotal(prompts::kSongPropTime, form_.TimeText());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(info);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    name_->setFocus();
}

void SongPropertiesDialog::Accept() {
    form_.SetName(name_->text().toStdString());
    form_.SetCopyright(copyright_->text().toStdString());
    accept();
}

}  // namespace kvs
