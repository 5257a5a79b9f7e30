// What the main window's tests share: a fresh window with scripted dialogs and a folder of
// its own, files in and out, list contents, a click.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "fake_prompter.h"
#include "find_control.h"
#include "formats/bytes.h"
#include "ui/main_window.h"

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

// Points the program's settings (recent files, dialog folders) at a folder of the test's, so
// no test reads or writes the user's own.
inline void UseScratchSettings(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

inline void Press(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

class WindowFixture {
protected:
    // A new, empty folder, settings of its own and a new window.
    void Start() {
        folder_ = std::make_unique<QTemporaryDir>();
        UseScratchSettings(folder_->filePath(QStringLiteral("settings")));
        Fresh();
    }
    // A new window and prompter; the folder stays.
    void Fresh() {
        window_.reset();
        prompter_ = std::make_unique<FakePrompter>();
        window_ = std::make_unique<MainWindow>(*prompter_);
    }
    // Called from the test's cleanup, so that unused scripted answers fail that test.
    void Release() {
        window_.reset();
        prompter_.reset();
    }
    QString File(const char* name) const { return folder_->filePath(QString::fromUtf8(name)); }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<FakePrompter> prompter_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace belltower::ui::testing
