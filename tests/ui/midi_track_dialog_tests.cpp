// SPDX-License-Identifier: GPL-3.0-or-later
// The track dialog of a MIDI file: the tracks with Belltower's pick selected, a preview of the
// chosen track as the phone plays it, OK reading that track into the melody fields and Cancel
// changing nothing.
#include "interchange/midi_tracks.h"
#include "support/midi_builder.h"
#include "ui/midi_track_dialog.h"
#include "ui/piano_roll_view.h"
#include "window_helpers.h"

using namespace belltower::ui::testing;
using belltower::formats::Bytes;
using belltower::interchange::ListMidiTracks;
using belltower::interchange::MidiReadOptions;
using belltower::ui::MessageAnswer;
using belltower::ui::MidiTrackChoice;
using belltower::ui::MidiTrackDialog;
using belltower::ui::MidiTrackRequest;

namespace {

// A song as sequencers write it: a title track, the tune (track 2), chords low down (track 3)
// and drums (track 4).
Bytes Song() {
    using belltower::testing::BuiltNote;
    std::vector<BuiltNote> tune;
    std::vector<BuiltNote> chords;
    std::vector<BuiltNote> drums;
    for (std::uint32_t i = 0; i < 8; ++i) {
        tune.push_back({i * 240, i * 240 + 240, 72 + static_cast<int>(i % 5), 1});
        drums.push_back({i * 240, i * 240 + 60, 36, 10});
    }
    for (const int key : {48, 52, 55}) {
        chords.push_back({0, 1920, key, 2});
    }
    return belltower::testing::MidiFile(
        1, 480,
        {belltower::testing::MidiTrack({}, "Song", -1, 120), belltower::testing::MidiTrack(tune, "Melody", 73),
         belltower::testing::MidiTrack(chords, "Piano", 0), belltower::testing::MidiTrack(drums, "Drums")});
}

MidiTrackRequest Request() {
    return {QStringLiteral("song.mid"), Song(), *ListMidiTracks(Song()), belltower::melody::Hardware::Phone};
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
        MidiTrackDialog dialog(Request());
        QCOMPARE(dialog.trackTable->rowCount(), 4);
        QCOMPARE(dialog.Choice(), (MidiTrackChoice{2, std::nullopt}));
        QCOMPARE(dialog.trackRoll->Shown().events.size(), std::size_t{8});  // an import adds no delay
        QVERIFY(dialog.fitLabel->text().startsWith(QStringLiteral("8 notes")));
        QVERIFY(!(dialog.trackTable->item(0, 0)->flags() & Qt::ItemIsSelectable));
        const struct {
            int row;
            int transposeIndex;  // 0 automatic, 4 none
            MidiTrackChoice choice;
            const char* transposition;
        } cases[] = {
            {2, 0, {3, std::nullopt}, "The notes are moved up 2 octaves"},
            {2, 4, {3, 0}, "The notes keep the file's pitches."},
            {1, 3, {2, 12}, "The notes are transposed by 12 semitones."},
        };
        for (const auto& c : cases) {
            dialog.trackTable->selectRow(c.row);
            dialog.transposeCombo->setCurrentIndex(c.transposeIndex);
            QCOMPARE(dialog.Choice(), c.choice);
            QVERIFY2(dialog.transpositionLabel->text().startsWith(QLatin1String(c.transposition)),
                     qPrintable(dialog.transpositionLabel->text()));
            MidiReadOptions options;
            options.track = c.choice.track;
            options.transpose = c.choice.transpose;
            QCOMPARE(dialog.Preview()->fields, belltower::interchange::ReadMidi(Song(), options)->fields);
        }
    }

    // Opening the song asks for the track: OK reads the choice into the fields, Cancel leaves
    // them and the window's file as they were. A file with one tune asks nothing.
    void openingASongAsksForTheTrack() {
        const QString song = WriteAll(File("song.mid"), AsQBytes(Song()));
        SetText(*window_, "Text5", QStringLiteral("4c 4d"));
        const belltower::melody::MelodyFields before = window_->EditFields();
        prompter_->AnswerMidiTrack(std::nullopt);
        window_->ReadRtxFile(song);
        QCOMPARE(window_->EditFields(), before);
        QCOMPARE(prompter_->trackRequests.back().tracks.defaultTrack, 2);

        prompter_->AnswerMidiTrack(MidiTrackChoice{3, 0});
        prompter_->AnswerMessage(MessageAnswer::Ok);  // what the import could not keep
        window_->ReadRtxFile(song);
        MidiReadOptions options;
        options.track = 3;
        options.transpose = 0;
        QCOMPARE(window_->EditFields(), belltower::interchange::ReadMidi(Song(), options)->fields);

        const QString tune = WriteAll(
            File("tune.mid"),
            AsQBytes(belltower::testing::MidiFile(0, 480, {belltower::testing::MidiTrack({{0, 480, 72, 1}})})));
        window_->ReadRtxFile(tune);
        QCOMPARE(prompter_->trackRequests.size(), std::size_t{2});
    }
};

QTEST_MAIN(MidiTrackDialogTest)
#include "midi_track_dialog_tests.moc"
