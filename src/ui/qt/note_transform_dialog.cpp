#include "ui/qt/note_transform_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "tools/note_transform_form.h"
#include "ui/help_texts.h"

namespace kvs {

NoteTransformDialog::NoteTransformDialog(QWidget* parent, const PromptTable& prompts,
                                         const HelpTexts* help, NoteTransformForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      transforms_(new QComboBox(this)),
      keys_(new QComboBox(this)) {
    setWindowTitle(Prompt(prompts::kNoteTransformTitle));
    for (const NoteTransformForm::Entry& entry : form_.Transforms())
        transforms_->addItem(ToQString(entry.name));
    transforms_->setCurrentIndex(form_.TransformSelection());
    transforms_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    transforms_->setMaxVisibleItems(20);
    for (std::string_view key : kBaseKeyNames)
        keys_->addItem(ToQString(key));
    keys_->setCurrentIndex(static_cast<int>(form_.KeySelection()));
    SetHelp(transforms_, help_id::kNoteTransformList);
    SetHelp(keys_, help_id::kNoteTransformKey);

    auto* fields = new QFormLayout;
    fields->setRowWrapPolicy(QFormLayout::WrapLongRows);
    fields->addRow(BuddyLabel(Prompt(prompts::kNoteTransformList), transforms_), transforms_);
    fields->addRow(BuddyLabel(Prompt(prompts::kNoteTransformKey), keys_), keys_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void NoteTransformDialog::Accept() {
    form_.SelectTransform(transforms_->currentIndex());
    form_.SelectKey(static_cast<std::uint32_t>(std::max(0, keys_->currentIndex())));
    if (!form_.Ok()) {
        ShowInvalidValue();
        return;
    }
    accept();
}

}  // namespace kvs
