#include "ui/file_dialog.h"

#include <QSettings>

#include <utility>

#include "formats/file_io.h"

namespace belltower::ui {

QStringList QtFilters(const QString& barSeparatedFilters) {
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
        filters.append(parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return filters;
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
    : title_(std::move(title)), filters_(QtFilters(barSeparatedFilters)), mode_(mode) {}

std::optional<QString> FileDialog::Choose(Prompter& prompter, const QString& suggestedName) {
    FileDialogRequest request;
    request.title = title_;
    request.filters = filters_;
    request.folder = folder_;
    request.fileName = mode_ == FileDialogMode::Save ? suggestedName : QString();
    request.mode = mode_;
    std::optional<QString> path = prompter.ChooseFile(request);
    if (!path || path->isEmpty()) {
        return std::nullopt;
    }
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
