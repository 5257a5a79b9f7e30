// SPDX-License-Identifier: GPL-3.0-or-later
// The track dialog of a MIDI file: the tracks with Belltower's pick selected, a preview of the
// chosen track as the phone plays it, OK reading that track into the melody fields and Cancel
// changing nothing.
#include "interchange/midi_tracks.h"
#include "support/midi_builder.h"
#include "ui/midi_track_dialog.h"
#include "ui/piano_roll_view.h"
#include "window_helpers.h"

using namespace belltower::ui;
using namespace belltower::ui::testing;
using namespace Qt::StringLiterals;
using belltower::formats::Bytes;
using belltower::interchange::ListMidiTracks;
using belltower::interchange::ReadMidi;
using belltower::testing::BuiltNote;
using belltower::testing::MidiFile;
using belltower::testing::MidiTrack;

namespace {

// A song as sequencers write it: a title track, the tune (track 2), chords low down (track 3)
// and drums (track 4).
Bytes Song() {
    const std::vector<BuiltNote> chords = {{0, 1920, 48, 2}, {0, 1920, 52, 2}, {0, 1920, 55, 2}};
    std::vector<BuiltNote> tune, drums;
    for (std::uint32_t i = 0; i < 8; ++i) {
        tune.push_back({i * 240, i * 240 + 240, 72 + static_cast<int>(i % 5), 1});
        drums.push_back({i * 240, i * 240 + 60, 36, 10});
    }
    return MidiFile(1, 480,
                    {MidiTrack({}, "Song", -1, 120), MidiTrack(tune, "Melody", 73), MidiTrack(chords, "Piano", 0),
                     MidiTrack(drums, "Drums")});
}

}  // namespace

class MidiTrackDialogTest : public QObject, WindowFixture {
    Q_OBJECT

private slots:
    void init() { Start(); }
    void cleanup() { Release(); }

    // The pick is selected and previewed; another row and another transposition preview that
    // track as it would be read; the title track has no notes and cannot be chosen.
    void previewsTheChosenTrackAfterFitting() {
        MidiTrackDialog dialog({u"song.mid"_s, Song(), *ListMidiTracks(Song()), belltower::melody::Hardware::Phone});
        QCOMPARE(dialog.trackTable->rowCount(), 4);
        QCOMPARE(dialog.Choice(), (MidiTrackChoice{2, std::nullopt}));
        QCOMPARE(dialog.trackRoll->Shown().events.size(), std::size_t{8});  // an import adds no delay
        QVERIFY(dialog.fitLabel->text().startsWith(u"8 notes"_s));
        QVERIFY(!(dialog.trackTable->item(0, 0)->flags() & Qt::ItemIsSelectable));
        // The row, the transposition's place in its list (0 automatic, 4 none), the choice, what is said.
        const std::tuple<int, int, MidiTrackChoice, const char*> cases[] = {
            {2, 0, {3, std::nullopt}, "The notes are moved up 2 octaves"},
            {2, 4, {3, 0}, "The notes keep the file's pitches."},
            {1, 3, {2, 12}, "The notes are transposed by 12 semitones."}};
        for (const auto& [row, transposeIndex, choice, transposition] : cases) {
            dialog.trackTable->selectRow(row);
            dialog.transposeCombo->setCurrentIndex(transposeIndex);
            QCOMPARE(dialog.Choice(), choice);
            QVERIFY2(dialog.transpositionLabel->text().startsWith(QLatin1String(transposition)),
                     qPrintable(dialog.transpositionLabel->text()));
            QCOMPARE(dialog.Preview()->fields,
                     ReadMidi(Song(), {.track = choice.track, .transpose = choice.transpose})->fields);
        }
    }

    // Opening the song asks for the track: OK reads the choice into the fields, Cancel leaves
    // them and the window's file as they were. A file with one tune asks nothing.
    void openingASongAsksForTheTrack() {
        const QString song = WriteAll(File("song.mid"), AsQBytes(Song()));
        Set("Text5", u"4c 4d"_s);
        const belltower::melody::MelodyFields before = window_->EditFields();
        prompter_->AnswerMidiTrack(std::nullopt);
        window_->ReadRtxFile(song);
        QCOMPARE(window_->EditFields(), before);
        QCOMPARE(prompter_->trackRequests.back().tracks.defaultTrack, 2);

        prompter_->AnswerMidiTrack(MidiTrackChoice{3, 0});
        prompter_->AnswerMessage(MessageAnswer::Ok);  // what the import could not keep
        window_->ReadRtxFile(song);
        QCOMPARE(window_->EditFields(), ReadMidi(Song(), {.track = 3, .transpose = 0})->fields);

        window_->ReadRtxFile(WriteAll(File("tune.mid"), AsQBytes(MidiFile(0, 480, {MidiTrack({{0, 480, 72, 1}})}))));
        QCOMPARE(prompter_->trackRequests.size(), std::size_t{2});
    }
};

QTEST_MAIN(MidiTrackDialogTest)
#include "midi_track_dialog_tests.moc"
