#include "ui/qt/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/qt/dialog_base.h"

namespace kvs {
namespace {

// Qt reports a filter as shown, which without details is the bare name.
std::uint32_t FilterIndex(const FileDialogRequest& request, const QString& shown) {
    for (std::size_t i = 0; i < request.filters.size(); ++i) {
        const FileFilter& filter = request.filters[i];
        if (shown == ToQString(filter.name) || shown == ToQString(FilterString(filter)))
            return static_cast<std::uint32_t>(i);
    }
    return 0;
}

}  // namespace

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
        dialog.setDefaultSuffix(ToQString(
            request.filterIndex == 0 ? request.defaultSuffix
                                     : std::string(DefaultExtensionOf(request.filterIndex))));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &request](const QString& filter) {
                             dialog.setDefaultSuffix(
                                 ToQString(DefaultExtensionOf(FilterIndex(request, filter))));
                         });
        if (!request.initialName.empty()) dialog.selectFile(ToQString(request.initialName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    UiHost::FileChoice choice;
    choice.path = QFileInfo(dialog.selectedFiles().front()).absoluteFilePath().toStdString();
    choice.filterIndex = FilterIndex(request, dialog.selectedNameFilter());
    return choice;
}

}  // namespace kvs
