// Drives a modal dialog opened with exec(): the action runs once the dialog is up, and a
// guard closes whatever is still modal after a few seconds, so a test cannot hang.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace belltower::ui::testing {

inline void WhenModal(std::function<void(QWidget* dialog)> action) {
    QTimer::singleShot(0, [action = std::move(action)] { action(QApplication::activeModalWidget()); });
    QTimer::singleShot(5000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            stuck->close();
        }
    });
}

}  // namespace belltower::ui::testing
