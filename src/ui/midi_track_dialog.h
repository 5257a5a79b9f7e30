// SPDX-License-Identifier: GPL-3.0-or-later
// The track of a MIDI file that becomes the melody. A song file holds the tune among chords,
// bass and drums; the table gives each track's figures with Belltower's pick selected, and the
// piano roll shows the chosen track as the phone will play it: one voice, moved by whole
// octaves into the hardware's range unless another transposition is chosen.
#pragma once

#include <QDialog>

#include <optional>

#include "interchange/fit.h"
#include "interchange/format_table.h"
#include "ui/prompter.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QScrollArea;
class QTableWidget;

namespace belltower::ui {

class PianoRollView;

class MidiTrackDialog : public QDialog {
    Q_OBJECT

public:
    explicit MidiTrackDialog(const MidiTrackRequest& request, QWidget* parent = nullptr);

    // The track selected and the transposition chosen.
    MidiTrackChoice Choice() const;
    // The chosen track as read for the preview; nothing when the read failed.
    const std::optional<interchange::MelodyImport>& Preview() const { return preview_; }

    // Members and the objectNames the controls carry.
    QTableWidget* trackTable = nullptr;    // trackTable: one row per track, the tracks without notes disabled
    QComboBox* transposeCombo = nullptr;   // transposeCombo: "Automatic", whole octaves, "None"
    QLabel* transpositionLabel = nullptr;  // transpositionLabel: the shift the read made
    PianoRollView* trackRoll = nullptr;    // trackRoll: the chosen track after fitting
    QScrollArea* trackRollPane = nullptr;  // trackRollPane
    QLabel* fitLabel = nullptr;            // trackFit: the figures of the chosen track
    QDialogButtonBox* buttons = nullptr;   // OK and Cancel

private:
    void FillTable();
    void ShowPreview();

    MidiTrackRequest request_;
    std::optional<interchange::MelodyImport> preview_;
};

}  // namespace belltower::ui
