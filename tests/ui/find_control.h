// Tests reach every control through its objectName, the name the program's users know it by
// (Text1, Command11, List2 ...), never through the window's members.
#pragma once

#include <QObject>
#include <QtGlobal>

namespace belltower::ui::testing {

// The control of this kind named name inside window. A missing control ends the test run
// with its name: the window no longer has the control the test means.
template <typename Control = QWidget>
Control* Find(const QObject& window, const char* name) {
    auto* control = window.findChild<Control*>(QLatin1String(name));
    if (control == nullptr) {
        qFatal("no control named %s", name);
    }
    return control;
}

}  // namespace belltower::ui::testing
