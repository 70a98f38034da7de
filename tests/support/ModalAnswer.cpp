#include "support/ModalAnswer.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace modalanswer {

void AnswerModal(QDialog& dialog, std::function<void(QDialog&)> answer) {
    QTimer::singleShot(0, &dialog, [&dialog, answer = std::move(answer)] {
        if (QApplication::activeModalWidget() != &dialog) {
            ADD_FAILURE() << "the dialog is not the active modal window";
            dialog.reject();
            return;
        }
        answer(dialog);
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the answer left the dialog open";
            dialog.reject();
        }
    });
}

void ClickButton(QWidget& window, const QString& caption) {
    const auto buttons = window.findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->text() == caption) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << caption.toStdString();
}

} // namespace modalanswer
