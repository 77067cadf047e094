#include "ui/qt/osk_layout_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "config/property_form_sources.h"
#include "midi/onscreen_keyboard_form.h"
#include "ui/help_texts.h"
#include "ui/qt/hot_key_field.h"
#include "ui/qt/message_dialogs.h"

namespace kvs {
namespace {

constexpr std::uint32_t kHelpNote = 2611;
constexpr std::uint32_t kHelpKey = 2612;
constexpr std::uint32_t kHelpBase = 2613;
constexpr std::uint32_t kHelpReset = 2614;

// The reset question, asked over this dialog.
class ResetQuestion final : public NoAsk {
  public:
    ResetQuestion(QWidget* parent, const PromptTable& prompts)
        : parent_(parent), prompts_(prompts) {}
    bool Confirm(const char* promptKey) override {
        return AskYesNoBox(parent_, prompts_, std::string(prompts_.TextOf(promptKey)));
    }

  private:
    QWidget* parent_;
    const PromptTable& prompts_;
};

}  // namespace

OskLayoutDialog::OskLayoutDialog(QWidget* parent, const PromptTable& prompts, const HelpTexts* help,
                                 OskLayoutForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      notes_(new QComboBox(this)),
      key_(new HotKeyField(this)),
      base_(new QComboBox(this)),
      reset_(new QPushButton(Prompt(prompts::kOskLayoutReset), this)) {
    setWindowTitle(Prompt(prompts::kOskLayoutTitle));
    for (const std::string& item : OskLayoutForm::NoteItems(PromptTableSource(prompts)))
        notes_->addItem(ToQString(item));
    notes_->setMaxVisibleItems(16);
    for (const std::string& item : OskLayoutForm::BaseItems())
        base_->addItem(ToQString(item));
    key_->setMinimumWidth(fontMetrics().averageCharWidth() * 12);
    reset_->setAccessibleName(WithoutMnemonic(reset_->text()));
    reset_->setAutoDefault(false);
    SetHelp(notes_, kHelpNote);
    SetHelp(key_, kHelpKey);
    SetHelp(base_, kHelpBase);
    SetHelp(reset_, kHelpReset);

    connect(notes_, &QComboBox::currentIndexChanged, this, [this](int index) {
        form_.SelectNote(index);
        key_->SetKey(form_.AssignedKey());
    });
    connect(key_, &HotKeyField::Captured, this, [this](std::uint32_t key, bool withModifiers) {
        (void)form_.CaptureKey(key, withModifiers);
        key_->SetKey(form_.AssignedKey());
    });
    connect(base_, &QComboBox::currentIndexChanged, this,
            [this](int index) { form_.SelectBaseKey(index); });
    connect(reset_, &QPushButton::clicked, this, &OskLayoutDialog::Reset);

    auto* fields = new QFormLayout;
    fields->addRow(BuddyLabel(Prompt(prompts::kOskLayoutNote), notes_), notes_);
    fields->addRow(BuddyLabel(Prompt(prompts::kOskLayoutKey), key_), key_);
    fields->addRow(BuddyLabel(Prompt(prompts::kOskLayoutBase), base_), base_);
    auto* resetRow = new QHBoxLayout;
    resetRow->addStretch(1);
    resetRow->addWidget(reset_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(resetRow);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Show();
    notes_->setFocus();
}

void OskLayoutDialog::Show() {
    const QSignalBlocker notesQuiet(notes_);
    const QSignalBlocker baseQuiet(base_);
    notes_->setCurrentIndex(form_.SelectedNote());
    base_->setCurrentIndex(form_.BaseKey());
    key_->SetKey(form_.AssignedKey());
}

void OskLayoutDialog::Reset() {
    ResetQuestion ask(this, prompts_);
    if (form_.ResetToDefaults(ask)) Show();
}

}  // namespace kvs
