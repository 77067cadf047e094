#include "ui/qt/dialog_base.h"

#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QWhatsThis>

#include "config/property_form_sources.h"
#include "ui/help_texts.h"

namespace kvs {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString WithoutMnemonic(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            plain += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == u'&') {
            plain += u'&';
            ++i;
        }
    }
    // A trailing tab and key text belongs to menus, not to names.
    const qsizetype tab = plain.indexOf(u'\t');
    return (tab >= 0 ? plain.left(tab) : plain).trimmed();
}

DialogBase::DialogBase(QWidget* parent, const PromptTable& prompts, const HelpTexts* help)
    : QDialog(parent), prompts_(prompts), help_(help) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    auto* helpKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, &DialogBase::ShowFocusHelp);
}

QString DialogBase::Prompt(const PromptText& text) const {
    return ToQString(PromptTableSource(prompts_).Text(text));
}

QLabel* DialogBase::BuddyLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, this);
    label->setBuddy(buddy);
    buddy->setAccessibleName(WithoutMnemonic(text));
    return label;
}

void DialogBase::SetHelp(QWidget* control, std::uint32_t helpId) {
    if (help_ == nullptr) return;
    const std::string_view text = help_->Text(helpId);
    if (!text.empty()) control->setWhatsThis(ToQString(text));
}

QPushButton* DialogBase::CommandButton(prompt::Id text, std::uint32_t helpId) {
    auto* button = new QPushButton(Prompt(text), this);
    button->setAutoDefault(false);
    button->setAccessibleName(WithoutMnemonic(button->text()));
    SetHelp(button, helpId);
    return button;
}

QDialogButtonBox* DialogBase::Buttons(bool withCancel) {
    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(Prompt(prompt::ok), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    ok->setAccessibleName(WithoutMnemonic(ok->text()));
    SetHelp(ok, help_id::kOk);
    if (withCancel) {
        QPushButton* cancel = box->addButton(Prompt(prompt::cancel), QDialogButtonBox::RejectRole);
        cancel->setAccessibleName(WithoutMnemonic(cancel->text()));
        SetHelp(cancel, help_id::kCancel);
    }
    if (help_ != nullptr && help_->Size() > 0) {
        QPushButton* helpButton = box->addButton(Prompt(prompt::help), QDialogButtonBox::HelpRole);
        helpButton->setAccessibleName(WithoutMnemonic(helpButton->text()));
        helpButton->setAutoDefault(false);
        SetHelp(helpButton, help_id::kHelp);
        connect(box, &QDialogButtonBox::helpRequested, this,
                [] { QWhatsThis::enterWhatsThisMode(); });
    }
    connect(box, &QDialogButtonBox::accepted, this, [this] { Accept(); });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return box;
}

void DialogBase::ShowInvalidValue() {
    QMessageBox box(QMessageBox::Warning, kProgramCaption,
                    ToQString(prompts_.Text(prompt::error_badvalue)), QMessageBox::Ok, this);
    box.button(QMessageBox::Ok)->setText(Prompt(prompt::ok));
    box.exec();
}

void DialogBase::ShowFocusHelp() {
    QWidget* focus = focusWidget();
    if (focus == nullptr || focus->whatsThis().isEmpty()) return;
    QWhatsThis::showText(focus->mapToGlobal(QPoint(0, focus->height())), focus->whatsThis(), focus);
}

}  // namespace kvs
