// SPDX-License-Identifier: GPL-3.0-or-later
// Every modal interaction of the program (file dialogs, message boxes, the "Save in Format"
// choice, the track of a MIDI file and the About window) goes through one Prompter. The windows hold a reference to it,
// so tests replace the real dialogs with scripted answers and never block in exec().
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "formats/bytes.h"
#include "formats/names.h"
#include "interchange/midi_tracks.h"
#include "melody/timeline.h"

namespace belltower::ui {

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
    QString title;        // the dialog's caption
    QStringList filters;  // Qt filter syntax, "Description (*.re *.RE)", first one preselected
    QString folder;       // initial folder, empty for the current one
    QString fileName;     // file name proposed in the dialog; empty for open dialogs
    FileDialogMode mode = FileDialogMode::Open;
};

// What the user chose in a file dialog: the path as typed or picked, and the filter of
// "Files of type" in force (its position in the request's filters).
struct FileChoice {
    QString path;
    qsizetype filter = 0;
};

enum class MessageIcon { None, Critical, Exclamation };
// SaveDiscardCancel asks whether unsaved work is saved first (Save), thrown away (Discard) or
// kept with the command called off (Cancel). ApplyDiscardCancel asks the same of edits typed
// into boxes that have not been applied yet.
enum class MessageButtons { Ok, OkCancel, SaveDiscardCancel, ApplyDiscardCancel };
// Action is the request's own further button (MessageRequest::action).
enum class MessageAnswer { Ok, Cancel, Save, Discard, Apply, Action };

struct MessageRequest {
    QString text;
    QString title;  // empty: the program's name
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    QString action = QString();  // caption of one more button before the others ("Reindex now"); empty: none
};

// A MIDI file of several tracks being opened: which track becomes the melody.
struct MidiTrackRequest {
    QString fileName;  // shown in the title
    formats::Bytes file;
    interchange::MidiTrackList tracks;
    melody::Hardware hardware = melody::Hardware::Phone;  // the range the notes are fitted into
};

// The track accepted and its transposition in semitones (nothing: the whole-octave shift that
// puts the most notes into the hardware's range).
struct MidiTrackChoice {
    int track = 0;
    std::optional<int> transpose;

    friend bool operator==(const MidiTrackChoice&, const MidiTrackChoice&) = default;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // The path and filter the user chose, or nothing when the dialog was cancelled. The path
    // is returned as chosen; callers treat an empty path like a cancel.
    virtual std::optional<FileChoice> ChooseFile(const FileDialogRequest& request) = 0;

    // Shows the box and waits; Cancel also when the box is closed without a button.
    virtual MessageAnswer ShowMessage(const MessageRequest& message) = 0;

    // The "Save in Format" dialog with the suggested format preselected: the accepted choice,
    // or nothing when the user cancelled or accepted without a selection.
    virtual std::optional<formats::TextFormat> ChooseTextFormat(formats::TextFormat suggested) = 0;

    // The track dialog of a MIDI file: the accepted choice, or nothing when the user cancelled.
    virtual std::optional<MidiTrackChoice> ChooseMidiTrack(const MidiTrackRequest& request) = 0;

    // The About window, modal; returns when it is closed.
    virtual void ShowAbout() = 0;

protected:
    Prompter() = default;
    Prompter(const Prompter&) = default;
    Prompter& operator=(const Prompter&) = default;
};

}  // namespace belltower::ui
