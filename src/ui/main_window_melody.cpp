// SPDX-License-Identifier: GPL-3.0-or-later
// The melody edit area: its fields as core values, opening and saving ringtone text files,
// and the name counter.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "formats/file_io.h"
#include "interchange/format_table.h"
#include "interchange/melody_file.h"
#include "interchange/midi_tracks.h"
#include "melody/rtx_text.h"
#include "ui/core_text.h"
#include "ui/main_window.h"
#include "ui/name_counter.h"
#include "ui/prompter.h"

namespace belltower::ui {
namespace {

// The notes as typed. QPlainTextEdit::toPlainText would turn non-breaking spaces (byte A0)
// into blanks, so the raw text is taken and only its paragraph and line separators become
// line feeds: one character each, so selection positions still match.
QString NotesText(const QPlainTextEdit* notes) {
    QString text = notes->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

// Sets a box only when its value changes, so a box the caller left alone keeps even the
// characters that have no Latin-1 byte.
void SetIfChanged(QLineEdit* box, const std::string& value) {
    if (ToCoreText(box->text()) != value) {
        box->setText(FromCoreText(value));
    }
}

}  // namespace

void MainWindow::ShowConversionWarnings(const QString& source, const std::vector<std::string>& warnings) {
    if (warnings.empty()) {
        return;
    }
    QStringList lines;
    for (const std::string& warning : warnings) {
        lines << QStringLiteral("\u2022 ") + FromCoreMessage(warning);
    }
    prompter_.ShowMessage({QStringLiteral("Not everything of %1 could be kept in the melody fields:\n\n%2")
                               .arg(source, lines.join(QLatin1Char('\n'))),
                           QString(), MessageIcon::Exclamation, MessageButtons::Ok});
}

void MainWindow::ConnectMelodyControls() {
    connect(openRtxButton, &QPushButton::clicked, this, &MainWindow::OpenRtx);
    connect(saveRtxButton, &QPushButton::clicked, this, &MainWindow::SaveRtx);
    ConnectNameCounter(nameEdit, nameCounter);
    ConnectNameCounter(melodyNameEdit, melodyNameCounter);
    // Any edit of the melody is work that Open RTX or a closing window would throw away.
    const auto modified = [this] {
        if (!fieldsModified_) {
            MarkFieldsModified(true);
        }
    };
    for (QLineEdit* box : {nameEdit, durationEdit, octaveEdit, tempoEdit, idEdit, delayEdit, indexEdit, staccatoEdit}) {
        connect(box, &QLineEdit::textChanged, this, modified);
    }
    connect(notesEdit, &QPlainTextEdit::textChanged, this, modified);
    for (QCheckBox* box : {playTwiceBox, forceOnePlayBox, noSmallPausesBox}) {
        connect(box, &QCheckBox::toggled, this, modified);
    }
}

melody::MelodyFields MainWindow::EditFields() const {
    melody::MelodyFields fields;
    fields.name = ToCoreText(nameEdit->text());
    fields.duration = ToCoreText(durationEdit->text());
    fields.octave = ToCoreText(octaveEdit->text());
    fields.tempo = ToCoreText(tempoEdit->text());
    fields.notes = ToCoreText(NotesText(notesEdit));
    fields.id = ToCoreText(idEdit->text());
    fields.delay = ToCoreText(delayEdit->text());
    fields.index = ToCoreText(indexEdit->text());
    fields.staccato = ToCoreText(staccatoEdit->text());
    fields.playTwice = playTwiceBox->isChecked();
    fields.forceOnePlay = forceOnePlayBox->isChecked();
    fields.noSmallPauses = noSmallPausesBox->isChecked();
    return fields;
}

void MainWindow::SetEditFields(const melody::MelodyFields& fields) {
    SetIfChanged(nameEdit, fields.name);
    SetIfChanged(durationEdit, fields.duration);
    SetIfChanged(octaveEdit, fields.octave);
    SetIfChanged(tempoEdit, fields.tempo);
    if (ToCoreText(NotesText(notesEdit)) != fields.notes) {
        notesEdit->setPlainText(FromCoreText(fields.notes));
    }
    SetIfChanged(idEdit, fields.id);
    SetIfChanged(delayEdit, fields.delay);
    SetIfChanged(indexEdit, fields.index);
    SetIfChanged(staccatoEdit, fields.staccato);
    playTwiceBox->setChecked(fields.playTwice);
    forceOnePlayBox->setChecked(fields.forceOnePlay);
    noSmallPausesBox->setChecked(fields.noSmallPauses);
}

std::optional<melody::NotesSelection> MainWindow::NotesSelection() const {
    const QTextCursor cursor = notesEdit->textCursor();
    if (!cursor.hasSelection()) {
        return std::nullopt;
    }
    return melody::NotesSelection{static_cast<std::size_t>(cursor.selectionStart()),
                                  static_cast<std::size_t>(cursor.selectionEnd() - cursor.selectionStart())};
}

void MainWindow::OpenRtx() {
    if (!MaySaveFields()) {
        return;
    }
    const std::optional<QString> path = openMelodyDialog.Choose(prompter_);
    if (path) {
        ReadRtxFile(*path);
    }
}

void MainWindow::ReadRtxFile(const QString& path) {
    const formats::Result<formats::Bytes> file = formats::ReadFileBytes(ToFilePath(path));
    // Ringtone text, an RE file, MIDI or .ott, told by the content. An unreadable file reads
    // as an empty line of text, which leaves the fields as they are.
    std::optional<formats::Result<interchange::MelodyImport>> read =
        ImportMelody(path, file ? formats::ByteView(*file) : formats::ByteView());
    if (!read) {
        return;
    }
    formats::Result<interchange::MelodyImport>& imported = *read;
    if (!imported) {
        prompter_.ShowMessage({QStringLiteral("%1 cannot be opened: %2")
                                   .arg(QFileInfo(path).fileName(), FromCoreMessage(imported.error().message)),
                               QString(), MessageIcon::Exclamation, MessageButtons::Ok});
        return;
    }
    SetEditFields(imported->fields);
    if (file) {
        MarkFieldsModified(false);
        melodyPath_ = path;
        AddRecentFile(path);
        UpdateTitle();
        Say(QStringLiteral("Opened %1").arg(QFileInfo(path).fileName()));
    }
    ShowConversionWarnings(QFileInfo(path).fileName(), imported->warnings);
}

std::optional<formats::Result<interchange::MelodyImport>> MainWindow::ImportMelody(const QString& path,
                                                                                   formats::ByteView file) {
    if (interchange::RecogniseMelody(file) != interchange::MelodyContent::Midi) {
        return interchange::ReadMelodyFile(file, EditFields());
    }
    formats::Result<interchange::MidiTrackList> tracks = interchange::ListMidiTracks(file);
    const auto withNotes = tracks ? std::count_if(tracks->tracks.begin(), tracks->tracks.end(),
                                                  [](const interchange::MidiTrackSummary& t) { return t.notes > 0; })
                                  : 0;
    // One tune needs no choice; a damaged file is refused by the read with its reason.
    if (withNotes < 2) {
        return interchange::ReadMelodyFile(file, EditFields());
    }
    const MidiTrackRequest request{QFileInfo(path).fileName(), formats::Bytes(file.begin(), file.end()),
                                   std::move(*tracks), ChosenHardware()};
    const std::optional<MidiTrackChoice> choice = prompter_.ChooseMidiTrack(request);
    if (!choice) {
        return std::nullopt;
    }
    interchange::MidiReadOptions options;
    options.track = choice->track;
    options.transpose = choice->transpose;
    options.hardware = ChosenHardware();
    return interchange::ReadMidi(file, options);
}

void MainWindow::EditMelody() {
    const bank::Selection line = SelectedLine();
    if (!line || !MaySaveFields()) {
        return;
    }
    const interchange::MelodyImport decoded = interchange::ReadMelodyRecord(bank_.Records[*line]);
    SetEditFields(decoded.fields);
    MarkFieldsModified(false);
    melodyPath_.clear();
    UpdateTitle();
    Say(QStringLiteral("Editing \"%1\": change it, then Replace").arg(FromCoreText(bank_.Lines[*line])));
    ShowConversionWarnings(QStringLiteral("\"%1\"").arg(FromCoreText(bank_.Lines[*line])), decoded.warnings);
}

bool MainWindow::SaveRtx() {
    const std::optional<QString> path = saveRtxDialog.Choose(prompter_, nameEdit->text());
    if (!path) {
        return false;
    }
    const melody::MelodyFields fields = EditFields();
    const std::string line = melody::WriteRtxText(fields);
    const formats::Result<void> saved = formats::WriteFileAtomic(ToFilePath(*path), formats::ToBytes(line));
    if (!saved) {
        prompter_.ShowMessage(
            {FromCoreMessage(saved.error().message), QString(), MessageIcon::None, MessageButtons::Ok});
        return false;
    }
    if (!melody::NameFitsRtxText(fields.name)) {
        prompter_.ShowMessage({FromCoreMessage(std::string(melody::kRtxNameChangedText)), QString(),
                               MessageIcon::Exclamation, MessageButtons::Ok});
    }
    MarkFieldsModified(false);
    melodyPath_ = *path;
    AddRecentFile(*path);
    UpdateTitle();
    Say(QStringLiteral("Saved %1").arg(QFileInfo(*path).fileName()));
    return true;
}

}  // namespace belltower::ui
