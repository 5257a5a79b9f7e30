// SPDX-License-Identifier: GPL-3.0-or-later
// The program's file dialogs. Each has a fixed title and filter list and remembers the folder
// of the last path chosen in it, for the rest of the run or, once RememberFolderAs is called,
// between runs too.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

#include "ui/prompter.h"

class QSettings;

namespace belltower::ui {

// A filter list written "Description|*.a;*.b|All Files|*.*" as Qt filters
// ("Description (*.a *.A *.b *.B)", "All Files (*)"). Every pattern is given in lower and
// upper case, because file dialogs on Linux match patterns case-sensitively while the
// phones' tools write names like MELODY.RE; "*.*" means every file. A description's own
// "[*.RE]" is left out, so the patterns are named once.
QStringList QtFilters(const QString& barSeparatedFilters);

// The extensions of each filter of such a list, lower case without the dot ("re"); none for
// "All Files".
QList<QStringList> FilterExtensions(const QString& barSeparatedFilters);

// The file a save dialog writes. The name's own extension wins when one of the dialog's
// filters names it; otherwise the chosen filter's first extension is added, so the chosen
// type is the type written ("Kylie" with "MIDI file" chosen is Kylie.mid). A filter without
// extensions (All Files) keeps the name as typed.
QString SavePath(const QString& path, const QList<QStringList>& extensions, qsizetype chosen);

// Where the program keeps what it remembers between runs (recent files, dialog folders): the
// user's settings for "Belltower", or wherever QSettings::setPath points.
std::unique_ptr<QSettings> ProgramSettings();

class FileDialog {
public:
    FileDialog(QString title, const QString& barSeparatedFilters, FileDialogMode mode);

    // Shows the dialog through the prompter. Open dialogs start with an empty file name, save
    // dialogs propose suggestedName. Returns the chosen path, for a save dialog with the
    // extension of SavePath; nothing when the user cancelled or chose an empty name. After a choice the folder of the
    // path (up to its last "/" or
    // "\") becomes the dialog's initial folder; a path without a separator leaves it as it is.
    std::optional<QString> Choose(Prompter& prompter, const QString& suggestedName = QString());

    // Keeps the folder in the program's settings under key, starting from the one kept there.
    void RememberFolderAs(const QString& key);

    const QString& Title() const { return title_; }
    const QStringList& Filters() const { return filters_; }
    FileDialogMode Mode() const { return mode_; }
    const QString& Folder() const { return folder_; }

private:
    QString title_;
    QStringList filters_;
    QList<QStringList> extensions_;
    FileDialogMode mode_;
    QString folder_;
    QString settingsKey_;  // empty: the folder is kept for this run only
};

}  // namespace belltower::ui
