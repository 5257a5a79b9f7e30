// Small helpers shared by the main window's tests: files in and out, list contents, a click.
#pragma once

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "formats/bytes.h"

namespace belltower::ui::testing {

inline QByteArray AsQBytes(const formats::Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes the file and hands its path back.
inline QString WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        QTest::qFail(qPrintable(QStringLiteral("cannot write ") + path), __FILE__, __LINE__);
    }
    return path;
}

inline QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int row = 0; row < list->count(); ++row) {
        lines << list->item(row)->text();
    }
    return lines;
}

inline void Press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

}  // namespace belltower::ui::testing
