#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace kvs::test {

// The program's data folder: help texts, note transforms, examples.
inline const QString kDataDir = QStringLiteral(KVS_TEST_DATA_DIR "/../../data");

// Runs act on the next modal window to open (a nested message box or a
// dialog started with exec()), from the event loop that exec() runs.
inline void OnNextModal(std::function<void(QWidget*)> act, QWidget* skip = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act), skip] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == skip) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}

// Clicks the dialog's button of role (OK runs the dialog's own checks).
inline void Press(QWidget* dialog, QDialogButtonBox::ButtonRole role) {
    auto* box = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == role) return button->click();
    ADD_FAILURE() << "no such button";
}

// A screen reader names every control a keyboard reaches, without mnemonic
// markers, and every label with a mnemonic moves the focus somewhere.
inline void ExpectAccessible(QWidget* dialog) {
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(dialog) || control->focusPolicy() == Qt::NoFocus) continue;
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
            qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractItemView*>(control)) {
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
            EXPECT_FALSE(control->accessibleName().contains(u'&'));
        }
    }
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->text().contains(u'&')) {
            EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        }
}

}  // namespace kvs::test
