// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_dialog.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>

#include <utility>

#include "formats/file_io.h"

namespace belltower::ui {

QStringList QtFilters(const QString& barSeparatedFilters) {
    static const QRegularExpression ownPatterns(QStringLiteral(R"(\s*\[\*\.[^\]]*\])"));
    const QStringList parts = barSeparatedFilters.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) {
                patterns.append(QStringLiteral("*"));
                continue;
            }
            for (const QString& variant : {pattern.toLower(), pattern.toUpper()}) {
                if (!patterns.contains(variant)) {
                    patterns.append(variant);
                }
            }
        }
        filters.append(QString(parts.at(i)).remove(ownPatterns) + QStringLiteral(" (") +
                       patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return filters;
}

QList<QStringList> FilterExtensions(const QString& barSeparatedFilters) {
    const QStringList parts = barSeparatedFilters.split(QLatin1Char('|'));
    QList<QStringList> extensions;
    for (qsizetype i = 1; i < parts.size(); i += 2) {
        QStringList own;
        for (const QString& pattern : parts.at(i).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (pattern.startsWith(QLatin1String("*.")) && pattern != QLatin1String("*.*")) {
                own.append(pattern.mid(2).toLower());
            }
        }
        extensions.append(own);
    }
    return extensions;
}

QString SavePath(const QString& path, const QList<QStringList>& extensions, qsizetype chosen) {
    const QString typed = QFileInfo(path).suffix().toLower();
    const bool known = !typed.isEmpty() && std::any_of(extensions.begin(), extensions.end(),
                                                       [&](const QStringList& own) { return own.contains(typed); });
    if (known || chosen < 0 || chosen >= extensions.size() || extensions.at(chosen).isEmpty()) {
        return path;
    }
    return path + QLatin1Char('.') + extensions.at(chosen).front();
}

std::unique_ptr<QSettings> ProgramSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Belltower"),
                                       QStringLiteral("Belltower"));
}

void FileDialog::RememberFolderAs(const QString& key) {
    settingsKey_ = QStringLiteral("folders/") + key;
    folder_ = ProgramSettings()->value(settingsKey_).toString();
}

FileDialog::FileDialog(QString title, const QString& barSeparatedFilters, FileDialogMode mode)
    : title_(std::move(title)), filters_(QtFilters(barSeparatedFilters)),
      extensions_(FilterExtensions(barSeparatedFilters)), mode_(mode) {}

std::optional<QString> FileDialog::Choose(Prompter& prompter, const QString& suggestedName) {
    FileDialogRequest request;
    request.title = title_;
    request.filters = filters_;
    request.folder = folder_;
    request.fileName = mode_ == FileDialogMode::Save ? suggestedName : QString();
    request.mode = mode_;
    const std::optional<FileChoice> choice = prompter.ChooseFile(request);
    if (!choice || choice->path.isEmpty()) {
        return std::nullopt;
    }
    std::optional<QString> path =
        mode_ == FileDialogMode::Save ? SavePath(choice->path, extensions_, choice->filter) : choice->path;
    const QString folder = QString::fromStdString(formats::FolderOfPath(path->toStdString()));
    if (!folder.isEmpty()) {
        folder_ = folder;
        if (!settingsKey_.isEmpty()) {
            ProgramSettings()->setValue(settingsKey_, folder_);
        }
    }
    return path;
}

}  // namespace belltower::ui
