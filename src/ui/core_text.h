// SPDX-License-Identifier: GPL-3.0-or-later
// Between the window's texts and the core's byte strings. The core keeps texts as bytes,
// one char per byte; the window shows them as Latin-1, so every byte value 0-255 survives a
// trip through an edit box. Characters beyond Latin-1 typed by the user become "?".
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <filesystem>
#include <string>

namespace belltower::ui {

inline std::string ToCoreText(const QString& text) {
    return text.toLatin1().toStdString();
}

inline QString FromCoreText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A path as the file system spells it (file names are bytes on Linux).
inline std::filesystem::path ToFilePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A message of the core (UTF-8 sentence, or an operating-system description holding a path).
inline QString FromCoreMessage(const std::string& message) {
    return QString::fromStdString(message);
}

}  // namespace belltower::ui
