// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/name_counter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace belltower::ui {

QString CharactersLeftCaption(qsizetype nameLength) {
    const qsizetype left = kRecommendedNameLength - nameLength;
    return left >= 0 ? QStringLiteral(" %1").arg(left) : QString::number(left);
}

QColor CharactersLeftColour(qsizetype nameLength) {
    if (nameLength < kRecommendedNameLength) {
        return {0, 0, 0};
    }
    if (nameLength == kRecommendedNameLength) {
        return {0, 0, 200};
    }
    return {200, 0, 0};
}

void ShowCharactersLeft(QLabel* label, const QString& name) {
    label->setText(CharactersLeftCaption(name.size()));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, CharactersLeftColour(name.size()));
    label->setPalette(palette);
}

void ConnectNameCounter(QLineEdit* edit, QLabel* label) {
    QObject::connect(edit, &QLineEdit::textChanged, label,
                     [label](const QString& name) { ShowCharactersLeft(label, name); });
}

}  // namespace belltower::ui
