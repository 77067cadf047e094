#include "ui/qt/marker_list_dialog_box.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/help_texts.h"

namespace kvs {

MarkerListDialogBox::MarkerListDialogBox(QWidget* parent, const PromptTable& prompts,
                                         const HelpTexts* help, MarkerListForm& form)
    : DialogBase(parent, prompts, help), form_(form), list_(new QTreeWidget(this)) {
    setWindowTitle(Prompt(form_.Title()));
    list_->setColumnCount(2);
    list_->setHeaderHidden(true);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    for (const std::string& row : form_.Rows()) {
        const QString text = ToQString(row);
        const qsizetype tab = text.indexOf(u'\t');
        list_->addTopLevelItem(new QTreeWidgetItem({text.left(tab), text.mid(tab + 1)}));
    }
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    if (form_.Selection() >= 0) list_->setCurrentItem(list_->topLevelItem(form_.Selection()));
    // Room for every row without a scroll bar on a usual screen.
    const int rowHeight = list_->sizeHintForRow(0);
    list_->setMinimumHeight(rowHeight * 12 + 2 * list_->frameWidth());
    SetHelp(list_, help_id::kMarkerList);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Accept(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuddyLabel(Prompt(form_.Label()), list_));
    layout->addWidget(list_);
    layout->addWidget(Buttons());
}

void MarkerListDialogBox::Accept() {
    form_.Select(list_->indexOfTopLevelItem(list_->currentItem()));
    accept();
}

}  // namespace kvs
