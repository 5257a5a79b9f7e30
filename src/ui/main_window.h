// The main window. Its controls are named as the program's users and documentation know
// them (Text1 is the melody name, Command1 "Open RTX", List2 the melody bank ...); each
// widget's objectName equals its member name, so tests find every control by name.
//
// The window is built in main_window.cpp; each area's behaviour lives in a file of its own
// (main_window_melody.cpp for the melody text, ...). A new area adds its handlers as private
// slots below, defines them in its own main_window_<area>.cpp together with a
// Connect<Area>Controls() that wires its buttons, and calls that from the constructor.
#pragma once

#include <QWidget>

#include <cstddef>
#include <memory>
#include <optional>

#include "bank/list_operations.h"
#include "bank/tone_bank.h"
#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"
#include "melody/melody_fields.h"
#include "preview/player.h"
#include "ui/file_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace belltower::melody {
struct EncodeResult;
}

namespace belltower::ui {

class Prompter;
enum class MessageIcon;

class Form1 : public QWidget {
    Q_OBJECT

public:
    // prompter is used for every dialog and must outlive the window.
    explicit Form1(Prompter& prompter, QWidget* parent = nullptr);

    // The melody edit area as core values (texts as Latin-1 bytes).
    melody::MelodyFields EditFields() const;
    // Fills the melody edit area; texts are set whole, never cut to the typing limits.
    void SetEditFields(const melody::MelodyFields& fields);
    // The selected part of the notes (Text5): start from 0 and length, in characters of
    // EditFields().notes; nothing when no character is selected.
    std::optional<melody::NotesSelection> NotesSelection() const;

    Prompter& UserPrompter() const { return prompter_; }

    // Start-up with the program's first argument: a file of up to 64000 bytes is read as a
    // melody, a larger one as a firmware image. A quoted path ("...") loses its quotes. A file
    // that cannot be opened or measured is ignored silently. No dialog folder changes.
    void OpenStartupFile(const QString& argument);

    // Reads the first line of a melody file into the edit fields. A file that cannot be read
    // counts as an empty line: the notes are emptied, everything else is kept. No message.
    void ReadRtxFile(const QString& path);

    // Reads a firmware image into the melody bank (main_window_bank.cpp).
    void LoadFirmware(const QString& path);

    // Files bigger than this are firmware images at start-up; smaller ones are melodies.
    static constexpr qint64 kLargestMelodyFile = 64000;

    // ---- Controls ---------------------------------------------------------------------
    // Melody edit area.
    QLabel* Label1 = nullptr;   // "Name:"
    QLineEdit* Text1 = nullptr;  // melody name (typing limit 30)
    QLabel* zbyva = nullptr;    // characters left in the name
    QLabel* Label2 = nullptr;   // "&Duration:"
    QLineEdit* Text2 = nullptr;
    QLabel* Label3 = nullptr;  // "&Octave:"
    QLineEdit* Text3 = nullptr;
    QLabel* Label4 = nullptr;  // "&BPM:"
    QLineEdit* Text4 = nullptr;
    QPlainTextEdit* Text5 = nullptr;  // the notes
    QLabel* Label5 = nullptr;        // "&FourCC ID:"
    QLineEdit* Text6 = nullptr;
    QLabel* Label6 = nullptr;  // "&@ Delay"
    QLineEdit* Text7 = nullptr;
    QLabel* Label7 = nullptr;  // "Unique &Index:"
    QLineEdit* Text8 = nullptr;
    QLabel* Label8 = nullptr;  // "&Staccato tone limiting length. ..."
    QLineEdit* Text9 = nullptr;
    QCheckBox* Check1 = nullptr;      // "Suggest playing twice"
    QCheckBox* Check2 = nullptr;      // "For&ce ONE play"
    QCheckBox* Check3 = nullptr;      // "Disable small pauses between identical tones ..."
    QListWidget* List1 = nullptr;     // tokens of the notes, filled by the tone encoder
    QPushButton* Command1 = nullptr;  // "Open RTX"
    QPushButton* Command2 = nullptr;  // "Save as RE..."
    QPushButton* Command15 = nullptr;  // "Save as RTX"

    // Tone bank area.
    QPushButton* Command3 = nullptr;  // "Load Firmware"
    QCheckBox* Check4 = nullptr;      // "Keep TONE chunk from previous session"
    QListWidget* List2 = nullptr;     // the melodies of the bank
    QPushButton* Command4 = nullptr;  // move up
    QPushButton* Command5 = nullptr;  // move down
    QPushButton* Command6 = nullptr;  // "Replace"
    QPushButton* Command7 = nullptr;  // "Insert"
    QPushButton* Command8 = nullptr;  // "Delete"
    QPushButton* Command10 = nullptr;  // "Reindex!"
    QPushButton* Command9 = nullptr;  // "Save Firmware..."
    QLabel* Label9 = nullptr;         // "Name:"
    QLineEdit* Text10 = nullptr;      // name of the selected melody (typing limit 30)
    QLabel* zbyva2 = nullptr;         // characters left in Text10
    QLabel* Label10 = nullptr;        // "ID:"
    QLineEdit* Text11 = nullptr;
    QLabel* Label11 = nullptr;  // "Index:"
    QLineEdit* Text12 = nullptr;
    QLabel* Label14 = nullptr;        // "Purpose:"
    QLineEdit* Text13 = nullptr;      // disabled until a Unicode melody is shown
    QLabel* Label13 = nullptr;        // play mode of the selected melody
    QPushButton* Command11 = nullptr;  // "Apply", disabled until a melody is shown
    QPushButton* Command12 = nullptr;  // "File.." (replace from an RE file)
    QPushButton* Command13 = nullptr;  // "File.." (insert from an RE file)
    QPushButton* Command14 = nullptr;  // "Export"
    QLabel* Label12 = nullptr;        // number of melodies in the bank
    QLabel* ascii = nullptr;          // hidden; kept for the text-format choice

    // Preview area and the rest.
    QLabel* Label15 = nullptr;        // "Hardware"
    QComboBox* Combo1 = nullptr;      // "None", "Phone", "LogoManager"
    QCheckBox* Check5 = nullptr;      // "Emulate Vibration", ticked at start
    QCheckBox* Check6 = nullptr;      // "Half Quality"
    QPushButton* Command18 = nullptr;  // play the edit fields (or the selected notes)
    QPushButton* Command17 = nullptr;  // play the selected bank melody
    QPushButton* Command16 = nullptr;  // "?", the About window
    QLabel* email = nullptr;          // credit line; after a firmware load the image's header text

    // ---- File dialogs -----------------------------------------------------------------
    FileDialog CD1;  // "Open Melody File..."
    FileDialog cd2;  // "Save Raw File..."
    FileDialog CD3;  // "Open Firmware File..."
    FileDialog CD4;  // "Save FirmWare As..."
    FileDialog CD5;  // "Save RTX File..."
    FileDialog CD6;  // "Open raw File..."
    FileDialog CD7;  // "Export raw melody from firmware..."

    // ---- Tone bank (main_window_bank.cpp) ------------------------------------------------
    // The melodies being edited and the firmware image around them.
    const bank::ToneBank& Bank() const { return bank_; }
    // Puts a bank into the window as a firmware load does: the melody list, the counter and
    // the header line are shown anew, nothing is selected, Apply is disabled.
    void SetBank(bank::ToneBank bank);

private slots:
    // Melody text (main_window_melody.cpp).
    void OpenRtx();  // Command1
    void SaveRtx();  // Command15
    // About window (main_window.cpp).
    void ShowAbout();  // Command16

    // ---- Tone bank (main_window_bank.cpp) ------------------------------------------------
    void LoadFirmwareClicked();  // Command3
    void SaveFirmware();         // Command9
    void ShowSelectedRecord();   // a click on List2 or a line selected with the keyboard
    void ApplyRecord();          // Command11
    void MoveMelodyUp();         // Command4
    void MoveMelodyDown();       // Command5
    void ReplaceMelody();        // Command6
    void InsertMelody();         // Command7
    void DeleteMelody();         // Command8
    void ReindexMelodies();      // Command10
    void ReplaceFromFile();      // Command12
    void InsertFromFile();       // Command13
    void ExportMelody();         // Command14

private:
    void CreateControls();
    void LayOutControls();
    void ConnectMelodyControls();  // main_window_melody.cpp

    // ---- Tone bank (main_window_bank.cpp) ------------------------------------------------
    void ConnectBankControls();
    // The selected line of List2, or nothing.
    bank::Selection SelectedLine() const;
    // Makes List2 and the counter show the bank's lines and selects one line (or none)
    // without running the selection handler.
    void ShowBankLines(bank::Selection selected);
    void DisableApply();
    // The edit fields encoded in the bank's text format, their tokens listed in List1; the
    // encoder's messages are shown here. Nothing when the melody cannot be encoded.
    std::optional<formats::Bytes> EncodeForBank();
    // A bank operation that stores a record at a line (replace or insert, from the edit fields
    // or from an RE file).
    using StoreInBank = formats::Result<bank::Selection> (*)(bank::ToneBank&, bank::Selection, formats::ByteView);
    // Stores the record with store and shows the outcome: the new record, or why it was refused
    // (with refusalIcon).
    void StoreRecord(bank::Selection line, StoreInBank store, formats::ByteView record, MessageIcon refusalIcon);
    // False, after telling why, when the change of the selected line would bring a melody to
    // the top that makes the bank read back in the other text format.
    bool AllowListChange(bank::ListChange change);
    // Asks for an RE file with CD6 and stores it with store.
    void ImportReFile(bank::Selection line, StoreInBank store);

    bank::ToneBank bank_;
    // The line Apply writes to while a record is on show.
    std::optional<std::size_t> shownLine_;

    Prompter& prompter_;

    // ---- Save as RE and preview (main_window_encoder.cpp, main_window_preview.cpp) ----
public:
    // The player of both play buttons; it must outlive the window. Until one is set the
    // window plays through the system's audio output, opened at the first preview.
    void SetPreviewPlayer(preview::Player& player) { player_ = &player; }

private slots:
    void SaveAsRe();            // Command2
    void PlaySelectedMelody();  // Command17
    void PlayEditFields();      // Command18

private:
    void ConnectEncoderControls();  // main_window_encoder.cpp
    void ConnectPreviewControls();  // main_window_preview.cpp
    // Shows a run of the tone encoder: its tokens in List1, the empty-melody note, and its
    // failure in an exclamation box. True when the record is complete.
    bool ReportEncoding(const melody::EncodeResult& encoded);
    // A file that could not be written, in an exclamation box.
    void ShowWriteFailure(const formats::Error& error);
    // Renders the melody (a whole record) with the preview options of the window and starts
    // playing it in place of any preview still playing.
    void PlayPreview(formats::ByteView melody);
    preview::Player& PreviewPlayer();

    // The text format of the bank's names (main_window_encoder.cpp) and the record of the
    // melody selected in List2, nothing when none is (main_window_preview.cpp).
    formats::TextFormat BankTextFormat() const;
    std::optional<formats::Bytes> SelectedBankRecord() const;

    preview::Player* player_ = nullptr;           // the player in use, set or own
    std::unique_ptr<preview::Player> ownPlayer_;  // the system's audio output, made on first use
};

}  // namespace belltower::ui
