#include "ui/qt/export_audio_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "audio/song_render.h"
#include "ui/qt/file_dialogs.h"

namespace kvs {
namespace {

const QString kTitle = QStringLiteral("Export audio");

// About 1.2 s of sound: a step stays well under a tenth of a second here.
constexpr std::uint32_t kPeriodsPerStep = 400;

QPushButton* BrowseButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(WithoutMnemonic(text));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

ExportAudioDialog::ExportAudioDialog(QWidget* parent, const PromptTable& prompts,
                                     const HelpTexts* help, ExportAudioForm& form)
    : DialogBase(parent, prompts, help),
      form_(form),
      target_(new QLineEdit(this)),
      soundFont_(new QLineEdit(this)),
      rate_(new QComboBox(this)) {
    setWindowTitle(kTitle);
    target_->setText(QString::fromStdString(form_.target));
    soundFont_->setText(QString::fromStdString(form_.soundFont));
    target_->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    bool listed = false;
    for (const std::uint32_t rate : ExportAudioForm::kRates) {
        rate_->addItem(QStringLiteral("%1 Hz").arg(rate), rate);
        listed = listed || rate == form_.rate;
    }
    // A rate set by hand in the settings file stays choosable.
    if (!listed) rate_->addItem(QStringLiteral("%1 Hz").arg(form_.rate), form_.rate);
    rate_->setCurrentIndex(rate_->findData(form_.rate));
    target_->setWhatsThis(QStringLiteral(
        "The file the song's sound is written to: WAV, or FLAC for a name ending in .flac."));
    soundFont_->setWhatsThis(
        QStringLiteral("The sound font (.sf2) the built-in synthesizer plays the song with."));
    rate_->setWhatsThis(QStringLiteral("Samples per second of the audio file."));

    QPushButton* browseTarget = BrowseButton(QStringLiteral("&Browse ..."), this);
    QPushButton* browseFont = BrowseButton(QStringLiteral("Br&owse ..."), this);
    connect(browseTarget, &QPushButton::clicked, this, &ExportAudioDialog::BrowseTarget);
    connect(browseFont, &QPushButton::clicked, this, &ExportAudioDialog::BrowseSoundFont);
    auto row = [](QWidget* field, QWidget* button) {
        auto* line = new QHBoxLayout;
        line->addWidget(field, 1);
        line->addWidget(button);
        return line;
    };
    auto* fields = new QFormLayout;
    fields->addRow(BuddyLabel(QStringLiteral("&Audio file:"), target_), row(target_, browseTarget));
    fields->addRow(BuddyLabel(QStringLiteral("&Sound font:"), soundFont_),
                   row(soundFont_, browseFont));
    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(rate_);
    rateRow->addStretch(1);
    fields->addRow(BuddyLabel(QStringLiteral("Sample &rate:"), rate_), rateRow);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(Buttons());
    target_->setFocus();
}

void ExportAudioDialog::BrowseTarget() {
    FileDialogRequest request;
    request.mode = 2;
    request.title = kTitle.toStdString();
    // One filter: the program's file dialog gives a bare name the first
    // filter's extension, and a name ending in .flac chooses FLAC.
    request.filters = {{"Audio files (*.wav, *.flac)", "*.wav *.flac"}};
    request.defaultSuffix = "wav";
    request.initialName = target_->text().toStdString();
    request.folder = QFileInfo(target_->text()).path().toStdString();
    if (const auto choice = RunFileDialog(this, request))
        target_->setText(QString::fromStdString(choice->path));
}

void ExportAudioDialog::BrowseSoundFont() {
    FileDialogRequest request;
    request.mode = 1;
    request.title = "Sound font";
    request.filters = {{"Sound fonts (*.sf2)", "*.sf2"}, {"All files (*)", "*"}};
    request.folder = QFileInfo(soundFont_->text()).path().toStdString();
    if (const auto choice = RunFileDialog(this, request))
        soundFont_->setText(QString::fromStdString(choice->path));
}

void ExportAudioDialog::Accept() {
    form_.target = target_->text().toStdString();
    form_.soundFont = soundFont_->text().toStdString();
    form_.rate = rate_->currentData().toUInt();
    const ExportAudioForm::Problem problem = form_.Check();
    if (problem != ExportAudioForm::Problem::None) {
        QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kProgramCaption),
                        ToQString(ExportAudioForm::ProblemText(problem)), QMessageBox::Ok, this);
        box.button(QMessageBox::Ok)->setText(Prompt(prompt::ok));
        box.exec();
        return;
    }
    accept();
}

bool RunExportProgress(QWidget* parent, const PromptTable& prompts, SongRender& render,
                       const QString& target) {
    QProgressDialog dialog(parent);
    dialog.setWindowTitle(kTitle);
    dialog.setLabelText(QStringLiteral("Writing %1 ...").arg(QFileInfo(target).fileName()));
    dialog.setCancelButtonText(WithoutMnemonic(ToQString(prompts.Text(prompt::cancel))));
    dialog.setRange(0, 1000);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setMinimumWidth(dialog.fontMetrics().averageCharWidth() * 48);
    dialog.setValue(0);
    // One step per turn of the event loop, so Cancel is seen between steps.
    QTimer steps;
    steps.setInterval(0);
    QObject::connect(&steps, &QTimer::timeout, &dialog, [&] {
        const SongRender::Status status = render.Step(kPeriodsPerStep);
        dialog.setValue(static_cast<int>(render.Permille()));
        if (status == SongRender::Status::Running) return;
        steps.stop();
        dialog.accept();
    });
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, &QDialog::reject);
    steps.start();
    const int result = dialog.exec();
    steps.stop();
    return result == QDialog::Accepted && !dialog.wasCanceled();
}

}  // namespace kvs
