#include "ui/qt/insert_from_file_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tools/insert_from_file.h"
#include "ui/help_texts.h"

namespace kvs {

InsertFromFileDialog::InsertFromFileDialog(QWidget* parent, const PromptTable& prompts,
                                           const HelpTexts* help, InsertFromFileForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      tracks_(new QListWidget(this)),
      insert_(new QRadioButton(Prompt(prompts::kInsertFilePaste), this)),
      merge_(new QRadioButton(Prompt(prompts::kInsertFileMerge), this)) {
    setWindowTitle(Prompt(prompts::kInsertFileTitle));
    for (const std::string& name : form_.Names())
        tracks_->addItem(ToQString(name));
    tracks_->setCurrentRow(form_.Selection());
    // Double-click chooses as OK does.
    connect(tracks_, &QListWidget::itemActivated, this, [this] { Accept(); });
    const QFontMetrics metrics = fontMetrics();
    tracks_->setMinimumSize(metrics.averageCharWidth() * 40, metrics.height() * 10);
    SetHelp(tracks_, help_id::kInsertFileList);

    auto* modes = new QButtonGroup(this);
    for (QRadioButton* button : {insert_, merge_}) {
        modes->addButton(button);
        button->setAccessibleName(WithoutMnemonic(button->text()));
        SetHelp(button, help_id::kInsertFileMode);
    }
    (form_.Mode() == InsertMode::Merge ? merge_ : insert_)->setChecked(true);

    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(insert_);
    modeRow->addWidget(merge_);
    modeRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuddyLabel(Prompt(prompts::kInsertFileList), tracks_));
    layout->addWidget(tracks_);
    layout->addLayout(modeRow);
    layout->addWidget(Buttons());
}

void InsertFromFileDialog::Accept() {
    form_.Select(tracks_->currentRow());
    form_.SetMode(merge_->isChecked() ? InsertMode::Merge : InsertMode::Insert);
    accept();
}

}  // namespace kvs
