// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_style.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

namespace belltower::ui {

QFont WindowFont(int pointSize) {
    QFont font = QApplication::font();
    const QStringList installed = QFontDatabase::families();
    for (const char* family : {"Arial", "Liberation Sans"}) {
        if (installed.contains(QLatin1String(family))) {
            font.setFamily(QLatin1String(family));
            break;
        }
    }
    font.setPointSize(pointSize);
    return font;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (const int side : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/belltower/icons/belltower-%1.png").arg(side), QSize(side, side));
    }
    return icon;
}

}  // namespace belltower::ui
