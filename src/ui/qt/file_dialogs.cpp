#include "ui/qt/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/qt/dialog_base.h"

namespace kvs {

std::optional<UiHost::FileChoice> RunFileDialog(QWidget* parent, const FileDialogRequest& request) {
    const bool save = (request.mode & kFileDialogSave) != 0;
    QFileDialog dialog(parent, ToQString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The prompts already name the pattern; the globs behind them are ours.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    QStringList filters;
    for (const FileFilter& filter : request.filters)
        filters << ToQString(FilterString(filter));
    dialog.setNameFilters(filters);
    if (request.filterIndex < static_cast<std::uint32_t>(filters.size()))
        dialog.selectNameFilter(filters[static_cast<qsizetype>(request.filterIndex)]);
    if (!request.folder.empty()) dialog.setDirectory(ToQString(request.folder));
    if (save) {
        dialog.setDefaultSuffix(ToQString(request.defaultSuffix));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, filters](const QString& filter) {
                             const auto index = static_cast<std::uint32_t>(filters.indexOf(filter));
                             dialog.setDefaultSuffix(ToQString(DefaultExtensionOf(index)));
                         });
        if (!request.initialName.empty()) dialog.selectFile(ToQString(request.initialName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    UiHost::FileChoice choice;
    choice.path = QFileInfo(dialog.selectedFiles().front()).absoluteFilePath().toStdString();
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    choice.filterIndex = index < 0 ? 0 : static_cast<std::uint32_t>(index);
    return choice;
}

}  // namespace kvs
