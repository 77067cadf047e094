#include "ui/qt/progression_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "config/property_form_sources.h"
#include "model/form_number.h"
#include "model/value_format.h"
#include "ui/help_texts.h"
#include "ui/qt/text_spin_box.h"

namespace kvs {
namespace {

using F = ProgressionField;

struct FieldFace {
    F field;
    prompt::Id label;
    int row;
    int column;  // 0 the start pair, 1 the end pair (a spacer between)
};

// Start values on the left, their ends beside them.
constexpr std::array<FieldFace, kProgressionFieldCount> kFaces{{
    {F::Channel, prompt::tools_prgrs_chan, 0, 1},
    {F::StartTime, prompt::tools_prgrs_begtic, 1, 0},
    {F::EndTime, prompt::tools_prgrs_endtic, 1, 1},
    {F::StartValue, prompt::tools_prgrs_begval, 2, 0},
    {F::EndValue, prompt::tools_prgrs_endval, 2, 1},
    {F::StartVelocity, prompt::tools_prgrs_begvel, 3, 0},
    {F::EndVelocity, prompt::tools_prgrs_endvel, 3, 1},
    {F::Snap, prompt::tools_prgrs_snap, 4, 0},
    {F::NoteLength, prompt::tools_prgrs_notelen, 4, 1},
    {F::Amplitude, prompt::tools_prgrs_lfoamp, 5, 1},
    {F::Rate, prompt::tools_prgrs_lfoperiod, 6, 0},
    {F::Phase, prompt::tools_prgrs_lfophase, 6, 1},
}};

bool IsSpin(F field) {
    return ProgressionForm::Limit(field) <= 5;
}

std::size_t At(F field) {
    return static_cast<std::size_t>(field);
}

}  // namespace

ProgressionDialog::ProgressionDialog(QWidget* parent, const PromptTable& prompts,
                                     const HelpTexts* help, ProgressionForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      types_(new QComboBox(this)),
      waves_(new QComboBox(this)),
      lfoToValue_(new QCheckBox(Prompt(prompt::tools_prgrs_lfotoval), this)),
      lfoToVelocity_(new QCheckBox(Prompt(prompt::tools_prgrs_lfotovel), this)),
      filter_(new QCheckBox(Prompt(prompt::tools_prgrs_filterevts), this)) {
    setWindowTitle(Prompt(prompts::kProgressionTitle));
    auto* grid = new QGridLayout;
    auto place = [&](prompt::Id label, QWidget* control, int row, int column) {
        grid->addWidget(BuddyLabel(Prompt(label), control), row, column * 3);
        grid->addWidget(control, row, column * 3 + 1);
    };

    // The tool's form names types and waves in English; a form on the
    // prompt table gives the same lists in the user's language.
    ProgressionSettings scratch;
    const PromptTableSource language(prompts);
    const ProgressionForm named(scratch, language);
    for (const ProgressionType& type : named.Types())
        types_->addItem(ToQString(type.text), type.type);
    types_->setCurrentIndex(types_->findData(form_.Type()));
    SetHelp(types_, help_id::kProgressionType);
    place(prompt::tools_prgrs_type, types_, 0, 0);

    // Wide enough for the longest text a field takes ("-9999.191").
    const int editWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) +
                          fontMetrics().averageCharWidth() * 4;
    for (const FieldFace& face : kFaces) {
        QWidget* control = nullptr;
        QLineEdit* edit = nullptr;
        const int limit = static_cast<int>(ProgressionForm::Limit(face.field));
        if (IsSpin(face.field)) {
            auto* spin = new TextSpinBox(this);
            spin->SetMaxLength(limit);
            spin->SetText(ToQString(form_.Text(face.field)));
            edit = spin->findChild<QLineEdit*>();
            control = spin;
        } else {
            edit = new QLineEdit(ToQString(form_.Text(face.field)), this);
            edit->setMaxLength(limit);
            control = edit;
        }
        control->setMinimumWidth(editWidth);
        SetHelp(control, help_id::kProgressionFields + static_cast<std::uint32_t>(face.field));
        place(face.label, control, face.row, face.column);
        if (edit != control) {
            edit->setWhatsThis(control->whatsThis());
            edit->setAccessibleName(control->accessibleName());
        }
        controls_[At(face.field)] = control;
        edits_[At(face.field)] = edit;
    }

    for (const std::string& wave : named.WaveNames())
        waves_->addItem(ToQString(wave));
    waves_->setCurrentIndex(static_cast<int>(form_.Wave()));
    SetHelp(waves_, help_id::kProgressionWave);
    place(prompt::tools_prgrs_lfowave, waves_, 5, 0);

    const std::uint32_t flags = form_.Flags();
    lfoToValue_->setChecked((flags & kLfoToValue) != 0);
    lfoToVelocity_->setChecked((flags & kLfoToVelocity) != 0);
    filter_->setChecked((flags & kFilterDuplicates) != 0);
    SetHelp(lfoToValue_, help_id::kProgressionLfoToValue);
    SetHelp(lfoToVelocity_, help_id::kProgressionLfoToVelocity);
    SetHelp(filter_, help_id::kProgressionFilter);
    for (QCheckBox* box : {lfoToValue_, lfoToVelocity_, filter_})
        box->setAccessibleName(WithoutMnemonic(box->text()));
    grid->addWidget(lfoToValue_, 7, 0, 1, 2);
    grid->addWidget(lfoToVelocity_, 7, 3, 1, 2);
    grid->addWidget(filter_, 8, 0, 1, 5);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    // Air between the start and the end column pairs.
    grid->setColumnMinimumWidth(2, fontMetrics().averageCharWidth() * 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(types_, &QComboBox::currentIndexChanged, this, &ProgressionDialog::TypeChosen);
    TypeChosen(types_->currentIndex());
}

QLineEdit* ProgressionDialog::Field(ProgressionField field) const {
    return edits_[At(field)];
}

void ProgressionDialog::TypeChosen(int index) {
    if (index >= 0) form_.SetType(types_->itemData(index).toUInt());
    const bool notes = form_.Type() == kProgressionNotes;
    for (const FieldFace& face : kFaces) {
        QWidget* control = controls_[At(face.field)];
        control->setEnabled(form_.Enabled(face.field));
        if (auto* spin = qobject_cast<TextSpinBox*>(control)) {
            const ValueRange range = form_.SpinRange(face.field);
            spin->SetRange(range.min, range.max);
            spin->SetNoteNames(notes && (face.field == F::StartValue || face.field == F::EndValue));
        }
    }
    lfoToVelocity_->setEnabled(form_.Enabled(F::StartVelocity));
    // A key shown as C4 would be refused as a controller value: the values
    // follow the type between note names and numbers.
    for (F field : {F::StartValue, F::EndValue}) {
        QLineEdit* edit = edits_[At(field)];
        const std::string text = edit->text().toStdString();
        const int key = ParseNoteName(text);
        const std::optional<std::int64_t> number = ReadSignedField(text);
        if (!notes && key >= 0 && !number)
            edit->setText(QString::number(key));
        else if (notes && number && *number >= 0 && *number <= 127)
            edit->setText(ToQString(FormatNoteName(static_cast<int>(*number))));
    }
}

int ProgressionDialog::FocusedField() const {
    for (std::size_t i = 0; i < kProgressionFieldCount; ++i)
        if (controls_[i]->hasFocus() || edits_[i]->hasFocus()) return static_cast<int>(i);
    return -1;
}

void ProgressionDialog::CopyIn() {
    for (std::size_t i = 0; i < kProgressionFieldCount; ++i)
        form_.SetText(static_cast<F>(i), edits_[i]->text().toStdString());
    form_.SetWave(static_cast<std::uint32_t>(std::max(0, waves_->currentIndex())));
    form_.SetFlag(kLfoToValue, lfoToValue_->isChecked());
    form_.SetFlag(kLfoToVelocity, lfoToVelocity_->isChecked());
    form_.SetFlag(kFilterDuplicates, filter_->isChecked());
}

void ProgressionDialog::Accept() {
    CopyIn();
    if (!form_.Ok()) {
        ShowInvalidValue();
        return;
    }
    accept();
}

void ProgressionDialog::MidiIn(std::uint32_t message) {
    CopyIn();
    form_.SetFocus(FocusedField());
    form_.MidiIn(message);
    for (F field : {F::StartValue, F::EndValue, F::StartVelocity, F::EndVelocity})
        edits_[At(field)]->setText(ToQString(form_.Text(field)));
}

}  // namespace kvs
