#include "ui/qt/about_dialog_box.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/qt/icons.h"

namespace kvs {

AboutDialogBox::AboutDialogBox(QWidget* parent, const PromptTable& prompts,
                               const std::string& version)
    : DialogBase(parent, prompts, nullptr) {
    setWindowTitle(Prompt(prompt::about_title));
    auto* icon = new QLabel(this);
    const int side = fontMetrics().height() * 4;
    icon->setPixmap(ApplicationIcon().pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QString::fromLatin1(kProgramCaption), this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    QString versionText = Prompt(prompt::about_version);
    versionText.replace(QStringLiteral("%s"), ToQString(version));
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(new QLabel(versionText, this));
    texts->addSpacing(fontMetrics().height() / 2);
    texts->addWidget(new QLabel(Prompt(prompt::about_copyright), this));
    texts->addWidget(new QLabel(Prompt(prompt::about_rightsres), this));

    auto* body = new QHBoxLayout;
    body->addWidget(icon);
    body->addSpacing(fontMetrics().height());
    body->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(Buttons(false));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kvs
