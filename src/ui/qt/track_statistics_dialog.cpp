#include "ui/qt/track_statistics_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/property_help_ids.h"

namespace kvs {

TrackStatisticsDialog::TrackStatisticsDialog(QWidget* parent, const PromptTable& prompts,
                                             const HelpTexts* help,
                                             const std::vector<std::string>& rows)
    : DialogBase(parent, prompts, help), list_(new QTreeWidget(this)) {
    setWindowTitle(Prompt(prompts::kStatsTitle));
    list_->setColumnCount(2);
    list_->setHeaderHidden(true);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAccessibleName(WithoutMnemonic(windowTitle()));
    SetHelp(list_, help_id::kStatsList);
    for (const std::string& row : rows) {
        const QString text = ToQString(row);
        const qsizetype tab = text.indexOf(u'\t');
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, tab >= 0 ? text.left(tab) : text);
        item->setText(1, tab >= 0 ? text.mid(tab + 1) : QString());
    }
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
    // The values line up at a stop after the longest label; every row shows
    // without scrolling.
    const int rowHeight = list_->sizeHintForRow(0);
    const int frame = 2 * list_->frameWidth();
    list_->resizeColumnToContents(0);
    list_->resizeColumnToContents(1);
    list_->setColumnWidth(0, list_->columnWidth(0) + rowHeight);
    list_->setMinimumSize(list_->columnWidth(0) + list_->columnWidth(1) + rowHeight + frame,
                          rowHeight * list_->topLevelItemCount() + frame);

    // OK becomes Close; it and Escape just end the dialog.
    QDialogButtonBox* buttons = Buttons(false);
    for (QAbstractButton* b : buttons->buttons()) {
        if (buttons->buttonRole(b) != QDialogButtonBox::AcceptRole) continue;
        b->setText(Prompt(prompt::close));
        b->setAccessibleName(WithoutMnemonic(b->text()));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    list_->setFocus();
}

}  // namespace kvs
