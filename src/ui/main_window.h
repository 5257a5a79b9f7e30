// SPDX-License-Identifier: GPL-3.0-or-later
// The main window. Its members say what each control is (nameEdit, applyButton, bankList ...);
// every widget's objectName is the control name the program's users know it by (Text1 is the
// melody name, Command1 "Open RTX", List2 the melody bank ...), given from ControlTable below,
// so tests find every control by that name.
//
// The window is built in main_window.cpp; each area's behaviour lives in a file of its own
// (main_window_melody.cpp for the melody text, ...). A new area adds its handlers as private
// slots below, defines them in its own main_window_<area>.cpp together with a
// Connect<Area>Controls() that wires its buttons, and calls that from the constructor.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "bank/bank_history.h"
#include "bank/list_operations.h"
#include "bank/tone_bank.h"
#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"
#include "interchange/fit.h"
#include "melody/melody_fields.h"
#include "melody/timeline.h"
#include "preview/player.h"
#include "ui/file_dialog.h"

class QAction;
class QCloseEvent;
class QGroupBox;
class QScrollArea;
class QSplitter;
class QTimer;
class QMenu;
class QMenuBar;
class QStatusBar;

namespace belltower::melody {
struct EncodeResult;
}

namespace belltower::ui {

class Prompter;
class PianoRollView;
class HelpGuide;
enum class MessageIcon;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // prompter is used for every dialog and must outlive the window.
    explicit MainWindow(Prompter& prompter, QWidget* parent = nullptr);

    // The melody edit area as core values (texts as Latin-1 bytes).
    melody::MelodyFields EditFields() const;
    // Fills the melody edit area; texts are set whole, never cut to the typing limits.
    void SetEditFields(const melody::MelodyFields& fields);
    // The selected part of the notes (notesEdit): start from 0 and length, in characters of
    // EditFields().notes; nothing when no character is selected.
    std::optional<melody::NotesSelection> NotesSelection() const;

    Prompter& UserPrompter() const { return prompter_; }

    // Start-up with the program's first argument: a file of up to 64000 bytes is read as a
    // melody, a larger one as a firmware image. A quoted path ("...") loses its quotes. A file
    // that cannot be opened or measured is not opened and no box is shown: the reason is
    // returned, for standard error. No dialog folder changes.
    std::optional<QString> OpenStartupFile(const QString& argument);

    // Reads the first line of a melody file into the edit fields. A file that cannot be read
    // counts as an empty line: the notes are emptied, everything else is kept. No message.
    // A MIDI file with notes on more than one track first asks which track becomes the melody
    // (Prompter::ChooseMidiTrack); Cancel leaves the fields as they are.
    void ReadRtxFile(const QString& path);

    // Reads a firmware image into the melody bank (main_window_bank.cpp).
    void LoadFirmware(const QString& path);

    // Files bigger than this are firmware images at start-up; smaller ones are melodies.
    static constexpr qint64 kLargestMelodyFile = 64000;

    // ---- Unsaved work, undo, menus (main_window_session.cpp) ---------------------------
    // The bank differs from the one last loaded or saved (undoing back to it makes it clean).
    bool IsBankModified() const { return !history_.IsClean(); }
    // The melody fields were edited since the last Open RTX or Save as RTX; the melody group's
    // title then reads "Melody *". The window title's mark is the firmware image's alone.
    bool AreFieldsModified() const { return fieldsModified_; }
    // The files of File > Recent Files, most recent first (at most kRecentFiles).
    static QStringList RecentFiles();
    static constexpr qsizetype kRecentFiles = 8;

    // ---- Controls ---------------------------------------------------------------------
    // Melody edit area.
    QLabel* nameLabel = nullptr;      // "Name:"
    QLineEdit* nameEdit = nullptr;    // melody name (typing limit 30)
    QLabel* nameCounter = nullptr;    // characters left in the name
    QLabel* durationLabel = nullptr;  // "&Duration:"
    QLineEdit* durationEdit = nullptr;
    QLabel* octaveLabel = nullptr;  // "&Octave:"
    QLineEdit* octaveEdit = nullptr;
    QLabel* tempoLabel = nullptr;  // "&BPM:"
    QLineEdit* tempoEdit = nullptr;
    QPlainTextEdit* notesEdit = nullptr;  // the notes
    QLabel* idLabel = nullptr;            // "Fou&rCC ID:" (F is the File menu's)
    QLineEdit* idEdit = nullptr;
    QLabel* delayLabel = nullptr;  // "&@ Delay"
    QLineEdit* delayEdit = nullptr;
    QLabel* indexLabel = nullptr;  // "Unique &Index:"
    QLineEdit* indexEdit = nullptr;
    QLabel* staccatoLabel = nullptr;  // "&Staccato tone limiting length. ..."
    QLineEdit* staccatoEdit = nullptr;
    QCheckBox* playTwiceBox = nullptr;      // "Suggest playing twice"
    QCheckBox* forceOnePlayBox = nullptr;   // "For&ce ONE play"
    QCheckBox* noSmallPausesBox = nullptr;  // "Disable small pauses between identical tones ..."
    QListWidget* tokenList = nullptr;       // tokens of the notes, filled by the tone encoder
    QPushButton* openRtxButton = nullptr;   // "Open RTX"
    QPushButton* saveReButton = nullptr;    // "Save as RE..."
    QPushButton* saveRtxButton = nullptr;   // "Save as RTX"

    // Tone bank area.
    QPushButton* loadFirmwareButton = nullptr;  // "Load Firmware"
    QCheckBox* keepBankBox = nullptr;           // "Keep TONE chunk from previous session"
    QListWidget* bankList = nullptr;            // the melodies of the bank
    QPushButton* moveUpButton = nullptr;        // move up
    QPushButton* moveDownButton = nullptr;      // move down
    QPushButton* replaceButton = nullptr;       // "Replace"
    QPushButton* insertButton = nullptr;        // "Insert"
    QPushButton* deleteButton = nullptr;        // "Delete"
    QPushButton* reindexButton = nullptr;       // "Reindex!"
    QPushButton* saveFirmwareButton = nullptr;  // "Save Firmware..."
    QLabel* melodyNameLabel = nullptr;          // "Name:"
    QLineEdit* melodyNameEdit = nullptr;        // name of the selected melody (typing limit 30)
    QLabel* melodyNameCounter = nullptr;        // characters left in melodyNameEdit
    QLabel* melodyIdLabel = nullptr;            // "ID:"
    QLineEdit* melodyIdEdit = nullptr;
    QLabel* melodyIndexLabel = nullptr;  // "Index:"
    QLineEdit* melodyIndexEdit = nullptr;
    QLabel* purposeLabel = nullptr;                  // "Purpose:"
    QLineEdit* purposeEdit = nullptr;                // disabled until a Unicode melody is shown
    QLabel* playModeLabel = nullptr;                 // play mode of the selected melody
    QPushButton* applyButton = nullptr;              // "Apply", disabled until a melody is shown
    static constexpr int kApplyNameCharacters = 14;  // of the name in "Apply to <name>" before "..."
    QPushButton* replaceFromFileButton = nullptr;    // "File.." (replace from an RE file)
    QPushButton* insertFromFileButton = nullptr;     // "File.." (insert from an RE file)
    QPushButton* exportButton = nullptr;             // "Export"
    QLabel* bankCountLabel = nullptr;                // number of melodies in the bank
    QLabel* formatMailbox = nullptr;                 // hidden; kept for the text-format choice

    // Preview area and the rest.
    QLabel* hardwareLabel = nullptr;          // "Hardware"
    QComboBox* hardwareCombo = nullptr;       // "None", "Phone", "LogoManager"
    QCheckBox* vibrationBox = nullptr;        // "Emulate Vibration", ticked at start
    QCheckBox* halfQualityBox = nullptr;      // "Half Quality"
    QPushButton* playNotesButton = nullptr;   // play the edit fields (or the selected notes)
    QPushButton* playMelodyButton = nullptr;  // play the selected bank melody
    QPushButton* aboutButton = nullptr;       // "?", the About window
    QLabel* creditLabel = nullptr;            // credit line; after a firmware load the image's header text

    // Controls without an older name; their objectNames are their member names.
    QPushButton* stopButton = nullptr;  // ends the preview that is playing
    QStatusBar* statusBar = nullptr;    // what the last action did, or why the preview cannot play
    QGroupBox* melodyBox = nullptr;     // "Melody", "Melody *" while the fields hold unsaved edits
    // The notes' problems in words ("2 notes out of the phone's range, 1 token ignored: zz"),
    // empty when there are none; its link selects the first problem in the notes.
    QLabel* notesProblems = nullptr;

    // Each control's name as the program's users and their guides know it, and the member that
    // holds it. The constructor gives every widget its name from here (its objectName), so
    // tests and scripts find the controls by these names.
    std::vector<std::pair<const char*, QWidget*>> ControlTable() const {
        return {
            {"Label1", nameLabel},
            {"Text1", nameEdit},
            {"zbyva", nameCounter},
            {"Label2", durationLabel},
            {"Text2", durationEdit},
            {"Label3", octaveLabel},
            {"Text3", octaveEdit},
            {"Label4", tempoLabel},
            {"Text4", tempoEdit},
            {"Text5", notesEdit},
            {"Label5", idLabel},
            {"Text6", idEdit},
            {"Label6", delayLabel},
            {"Text7", delayEdit},
            {"Label7", indexLabel},
            {"Text8", indexEdit},
            {"Label8", staccatoLabel},
            {"Text9", staccatoEdit},
            {"Check1", playTwiceBox},
            {"Check2", forceOnePlayBox},
            {"Check3", noSmallPausesBox},
            {"List1", tokenList},
            {"Command1", openRtxButton},
            {"Command2", saveReButton},
            {"Command15", saveRtxButton},
            {"Command3", loadFirmwareButton},
            {"Check4", keepBankBox},
            {"List2", bankList},
            {"Command4", moveUpButton},
            {"Command5", moveDownButton},
            {"Command6", replaceButton},
            {"Command7", insertButton},
            {"Command8", deleteButton},
            {"Command10", reindexButton},
            {"Command9", saveFirmwareButton},
            {"Label9", melodyNameLabel},
            {"Text10", melodyNameEdit},
            {"zbyva2", melodyNameCounter},
            {"Label10", melodyIdLabel},
            {"Text11", melodyIdEdit},
            {"Label11", melodyIndexLabel},
            {"Text12", melodyIndexEdit},
            {"Label14", purposeLabel},
            {"Text13", purposeEdit},
            {"Label13", playModeLabel},
            {"Command11", applyButton},
            {"Command12", replaceFromFileButton},
            {"Command13", insertFromFileButton},
            {"Command14", exportButton},
            {"Label12", bankCountLabel},
            {"ascii", formatMailbox},
            {"Label15", hardwareLabel},
            {"Combo1", hardwareCombo},
            {"Check5", vibrationBox},
            {"Check6", halfQualityBox},
            {"Command18", playNotesButton},
            {"Command17", playMelodyButton},
            {"Command16", aboutButton},
            {"email", creditLabel},
        };
    }

    // The menu bar over the buttons; each action runs the same handler as its button.
    QMenuBar* menuBar = nullptr;
    QAction* openMelodyAction = nullptr;  // Ctrl+O
    QAction* saveAction = nullptr;        // Ctrl+S: the open image in place, else the melody
    QAction* saveMelodyAction = nullptr;  // the melody fields as a ringtone text file
    QAction* saveReAction = nullptr;
    QAction* loadFirmwareAction = nullptr;
    QAction* saveFirmwareAction = nullptr;  // Ctrl+Shift+S, Save Firmware As
    QMenu* recentMenu = nullptr;
    QAction* quitAction = nullptr;        // Ctrl+Q
    QAction* undoAction = nullptr;        // Ctrl+Z, "Undo Delete "Kylie""
    QAction* redoAction = nullptr;        // Ctrl+Shift+Z and Ctrl+Y
    QAction* deleteAction = nullptr;      // Del while the firmware list has the focus
    QAction* editMelodyAction = nullptr;  // "Edit" in the firmware list's context menu
    QAction* stopAction = nullptr;        // Esc
    QAction* guideAction = nullptr;       // F1, Help > Ringtone Text
    QAction* aboutAction = nullptr;       // Help > About
    HelpGuide* helpGuide = nullptr;       // the guide's window, made when first shown

    // ---- File dialogs -----------------------------------------------------------------
    FileDialog openMelodyDialog;    // CD1, "Open Melody File..."
    FileDialog saveReDialog;        // cd2, "Save Raw File..."
    FileDialog openFirmwareDialog;  // CD3, "Open Firmware File..."
    FileDialog saveFirmwareDialog;  // CD4, "Save FirmWare As..."
    FileDialog saveRtxDialog;       // CD5, "Save RTX File..."
    FileDialog openReDialog;        // CD6, "Open raw File..."
    FileDialog exportReDialog;      // CD7, "Export raw melody from firmware..."

    // ---- Tone bank (main_window_bank.cpp) ------------------------------------------------
    // The melodies being edited and the firmware image around them.
    const bank::ToneBank& Bank() const { return bank_; }
    // Puts a bank into the window as a firmware load does: the melody list, the counter and
    // the header line are shown anew, nothing is selected, Apply is disabled.
    void SetBank(bank::ToneBank bank);

protected:
    // Closing asks about unsaved changes first; Cancel keeps the window open.
    void closeEvent(QCloseEvent* event) override;

private slots:
    // Melody text (main_window_melody.cpp).
    void OpenRtx();  // openRtxButton
    // Save as RTX; true when the file was written.
    bool SaveRtx();  // saveRtxButton
    // About window (main_window.cpp).
    void ShowAbout();  // aboutButton

    // ---- Tone bank (main_window_bank.cpp) ------------------------------------------------
    void LoadFirmwareClicked();  // loadFirmwareButton
    // Save Firmware with its warnings and dialog (the open image's path proposed); true when
    // the image was written.
    bool SaveFirmware();  // saveFirmwareButton
    // Ctrl+S: the open image saved over itself after the same warnings; with no image open,
    // Save Melody. True when something was written.
    bool Save();
    void ShowSelectedRecord();  // a click on bankList or a line selected with the keyboard
    bool ApplyRecord();         // applyButton or Enter in its boxes; true when applied
    void MoveMelodyUp();        // moveUpButton
    void MoveMelodyDown();      // moveDownButton
    void ReplaceMelody();       // replaceButton
    void InsertMelody();        // insertButton
    void DeleteMelody();        // deleteButton
    void ReindexMelodies();     // reindexButton
    void ReplaceFromFile();     // replaceFromFileButton
    void InsertFromFile();      // insertFromFileButton
    void ExportMelody();        // exportButton
    // The selected firmware melody decoded into the melody edit fields (a double click on
    // bankList, or "Edit" in its context menu), so that it can be changed and replaced.
    void EditMelody();

    // ---- Unsaved work, undo, menus (main_window_session.cpp) ---------------------------
    void UndoChange();
    void RedoChange();
    void StopPreview();
    void ShowGuide();  // Help > Ringtone Text

private:
    // The controls, one area of the window at a time, in the order the window reads.
    void CreateControls();
    void CreateMelodyFields();
    void CreateRecordFields();
    void CreateMelodyOptions();
    void CreateMelodyCommands();
    void CreateFirmwareList();
    void CreateListCommands();
    void CreateMelodyDetails();
    void CreatePreviewControls();
    void CreateFooter();
    void LayOutControls();
    QGroupBox* LayOutMelodyBox();
    QGroupBox* LayOutBankBox();
    void NameForScreenReaders();
    // A melody file as the edit fields; nothing when the user cancelled the track dialog.
    std::optional<formats::Result<interchange::MelodyImport>> ImportMelody(const QString& path, formats::ByteView file);
    // What a melody file or record could not hand to the edit fields, in one message.
    void ShowConversionWarnings(const QString& source, const std::vector<std::string>& warnings);
    void ConnectMelodyControls();  // main_window_melody.cpp
    void SetTabOrder();

    // ---- Unsaved work, undo, menus (main_window_session.cpp) ---------------------------
    void CreateMenus();
    // The title: the open image's (or else melody file's) name, the modified mark, the caption.
    void UpdateTitle();
    void UpdateHistoryActions();
    // Before work would be thrown away: nothing to do when nothing is modified; else "Save
    // changes to ...?" Save runs the usual save (true only when it saved), Discard goes on
    // (true), Cancel stops (false).
    bool MaySaveBank();
    bool MaySaveFields();
    // "Save changes to <what>?" with the three answers above; save is the usual save.
    bool AskToSave(const QString& what, bool (MainWindow::*save)());
    // Records a change of the bank, made from `before`, for Undo under `name` (core text), and
    // says `done` in the status bar.
    void RecordChange(const std::string& name, bank::BankState before, const QString& done);
    // The status bar's message: what the last action did. The next one replaces it.
    void Say(const QString& message);
    void MarkFieldsModified(bool modified);
    // Shows the bank after an undo or redo with `selected` selected.
    void ShowRestored(bank::Selection selected);
    void AddRecentFile(const QString& path);
    void ShowRecentFiles();
    void RememberDialogFolders();
    // A file dropped on the window: an RE file is offered to the firmware list, other binary
    // files are refused, the rest opens as at start-up.
    void OpenDroppedFile(const QString& path);
    void ImportDroppedRecord(const QString& path, const formats::Bytes& file);
    // Opens a file as start-up does; with askToSave (dropped and recent files) a bank or
    // melody with unsaved changes that the file would replace is offered for saving first.
    std::optional<QString> OpenNamedFile(const QString& argument, bool askToSave);
    void ShowPlaybackError(const std::string& description);

    bank::BankHistory history_;
    bool fieldsModified_ = false;
    QString imagePath_;                // the firmware image loaded or last saved
    QString melodyPath_;               // the melody file last opened or saved
    bool playbackErrorShown_ = false;  // the current preview's error is on show

    // ---- Tone bank (main_window_bank.cpp) ------------------------------------------------
    void ConnectBankControls();
    // The selected line of bankList, or nothing.
    bank::Selection SelectedLine() const;
    // Makes bankList and the counter show the bank's lines, selects one line (or none) and
    // shows its record in the details panel (or clears the panel).
    void ShowBankLines(bank::Selection selected);
    // Selects a line of bankList (nothing: no line) without showing it.
    void SelectLine(bank::Selection line);
    // Clears the details panel and disables Apply.
    void ClearDetails();
    void DisableApply();
    // Enables the bank's buttons and commands that can act: none without a bank, those of a
    // melody only with one selected.
    void UpdateBankCommands();
    // Before another melody's details replace edits not applied yet: Apply them, Discard them
    // or Cancel (false: the shown melody stays selected).
    bool MayLeaveDetails();
    // The details' boxes as shown or typed: name, ID, index, purpose.
    QStringList DetailTexts() const;
    // The firmware warnings walked with the user; "Reindex now" on a shared index reindexes
    // and walks them again. False when the save is called off.
    bool ConfirmFirmwareSave();
    bool WriteFirmware(const QString& path);
    // The melody of the edit fields with a free index: the typed one, or the next free one
    // when another melody has it (said in the status bar).
    std::optional<formats::Bytes> EncodeWithFreeIndex(QString& note);
    // The edit fields encoded in the bank's text format, their tokens listed in tokenList; the
    // encoder's messages are shown here. Nothing when the melody cannot be encoded.
    std::optional<formats::Bytes> EncodeForBank();
    // A bank operation that stores a record at a line (replace or insert, from the edit fields
    // or from an RE file).
    using StoreInBank = formats::Result<bank::Selection> (*)(bank::ToneBank&, bank::Selection, formats::ByteView);
    // Stores the record with store and shows the outcome: the new record, or why it was refused
    // (with refusalIcon).
    // A stored record is recorded for Undo as `verb` and its line.
    // `note` follows the status bar's "Replaced "Kylie"".
    void StoreRecord(bank::Selection line, StoreInBank store, formats::ByteView record, MessageIcon refusalIcon,
                     const char* verb, const QString& note = QString());
    // False, after telling why, when the change of the selected line would bring a melody to
    // the top that makes the bank read back in the other text format.
    bool AllowListChange(bank::ListChange change);
    // Moves the selected melody one line up or down (change), recorded for Undo.
    void MoveMelody(bank::ListChange change);
    // True when a melody can go in above line; a full bank is told, before any dialog or
    // encoder message.
    bool CanInsertAt(bank::Selection line);
    // Asks for an RE file with openReDialog and stores it with store.
    void ImportReFile(bank::Selection line, StoreInBank store, const char* verb);

    bank::ToneBank bank_;
    // The line Apply writes to while a record is on show, and its details as shown.
    std::optional<std::size_t> shownLine_;
    QStringList shownDetails_;
    std::string shownId_;  // the ID's bytes as stored; the box shows them without trailing blanks

    Prompter& prompter_;

    // ---- Save as RE and preview (main_window_encoder.cpp, main_window_preview.cpp) ----
public:
    // The player of both play buttons; it must outlive the window. Until one is set the
    // window plays through the system's audio output, opened at the first preview.
    // Its errors are shown in the status bar, once for each preview.
    void SetPreviewPlayer(preview::Player& player);

private slots:
    void SaveAsRe();            // saveReButton
    void PlaySelectedMelody();  // playMelodyButton
    void PlayEditFields();      // playNotesButton

private:
    void ConnectEncoderControls();  // main_window_encoder.cpp
    void ConnectPreviewControls();  // main_window_preview.cpp
    // Shows a run of the tone encoder: its tokens in tokenList, the empty-melody note, and its
    // failure in an exclamation box. True when the record is complete.
    bool ReportEncoding(const melody::EncodeResult& encoded);
    // A file that could not be written, in an exclamation box.
    void ShowWriteFailure(const formats::Error& error);
    // Renders the melody (a whole record) with the preview options of the window and starts
    // playing it in place of any preview still playing.
    void PlayPreview(formats::ByteView melody);
    // The Hardware box's choice: its list holds the emulations in the order of melody::Hardware.
    melody::Hardware ChosenHardware() const;
    preview::Player& PreviewPlayer();

    // The text format of the bank's names (main_window_encoder.cpp) and the record of the
    // melody selected in bankList, nothing when none is (main_window_preview.cpp).
    formats::TextFormat BankTextFormat() const;
    std::optional<formats::Bytes> SelectedBankRecord() const;

    preview::Player* player_ = nullptr;           // the player in use, set or own
    std::unique_ptr<preview::Player> ownPlayer_;  // the system's audio output, made on first use

    // ---- Piano roll (main_window_roll.cpp) ----------------------------------------------
public:
    PianoRollView* pianoRoll = nullptr;    // the melody as the phone plays it
    QScrollArea* pianoRollPane = nullptr;  // scrolls the roll; hidden with View > Piano Roll
    QSplitter* melodySplitter = nullptr;   // the melody fields over the roll, resizable
    QWidget* rollArea = nullptr;           // the roll and the fit line under it
    // "Will it fit?": the figures of the edit fields in one line, each problem in its tool tip.
    QLabel* fitLine = nullptr;
    QAction* pianoRollAction = nullptr;   // View > Piano Roll, checkable
    QAction* exportRollAction = nullptr;  // File > Export Piano Roll...
    FileDialog exportRollDialog;          // "Export Piano Roll..."
    // Draws the edit fields in the roll now, without waiting for the pause in typing.
    void RefreshPianoRoll();
    // How long after the last keystroke the roll follows the edit fields.
    static constexpr int kRollTypingPauseMs = 250;

private slots:
    void ExportPianoRoll();

private:
    void CreatePianoRoll();           // before LayOutControls
    void ConnectPianoRollControls();  // after CreateMenus
    void ShowBankMelodyInRoll();
    // The problems line under the notes for an encoding of the whole notes text.
    void ShowNotesProblems(const melody::EncodeResult& encoded);
    void SelectFirstNotesProblem();
    void ShowEncodingInRoll(const melody::EncodeResult& encoded);
    void StartPlayhead();
    void StopPlayhead();
    // The fit line for an encoding of the edit fields (main_window_fit.cpp); ShowFitLine
    // shows the figures kept, with the firmware image's room as it is now.
    void ShowFit(const melody::MelodyFields& fields, const melody::EncodeResult& encoded);
    void ShowFitLine();

    QTimer* rollTimer_ = nullptr;      // single shot: the pause in typing
    QTimer* playheadTimer_ = nullptr;  // moves the playhead while a preview plays
    QElapsedTimer playClock_;
    QString rollName_;            // the name of the melody in the roll, for the exported picture
    bool rollShowsBank_ = false;  // the roll shows a firmware melody, not the edit fields
    std::optional<melody::TextRange> firstNotesProblem_;
    std::optional<interchange::MelodyFit> fit_;  // none while the fields do not encode
    formats::Bytes fitRecord_;                   // the record the fit was taken from
};

}  // namespace belltower::ui
