#include "ui/qt/command_line_help_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/command_line.h"

namespace kvs {

CommandLineHelpDialog::CommandLineHelpDialog(QWidget* parent, const PromptTable& prompts,
                                             const CommandLineHelp& texts)
    : DialogBase(parent, prompts, nullptr), table_(new QGridLayout) {
    setWindowTitle(ToQString(texts.title));
    auto* syntax = new QLabel(ToQString(texts.syntax), this);
    QFont bold = syntax->font();
    bold.setBold(true);
    syntax->setFont(bold);
    syntax->setTextInteractionFlags(Qt::TextSelectableByMouse);

    table_->setHorizontalSpacing(fontMetrics().averageCharWidth() * 4);
    int row = 0;
    for (const QString& line : ToQString(texts.table).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0) {
            table_->setRowMinimumHeight(row++, fontMetrics().height() / 2);
            table_->addWidget(new QLabel(line, this), row, 0, 1, 2);
        } else {
            table_->addWidget(new QLabel(line.left(tab), this), row, 0);
            table_->addWidget(new QLabel(line.mid(tab + 1), this), row, 1);
        }
        ++row;
    }
    table_->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ToQString(texts.description), this));
    layout->addWidget(syntax);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(table_);
    layout->addWidget(Buttons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kvs
