// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <initializer_list>
#include <utility>

#include "interchange/format_table.h"
#include "ui/file_drop.h"
#include "ui/name_counter.h"
#include "ui/piano_roll_view.h"
#include "ui/prompter.h"
#include "ui/typing_limit.h"
#include "ui/window_style.h"

namespace belltower::ui {
namespace {

// Up, down and play symbols for the small arrow buttons.
const QString kUpGlyph = QStringLiteral("\u25B2");
const QString kDownGlyph = QStringLiteral("\u25BC");
const QString kPlayGlyph = QStringLiteral("\u25B6");
const QString kStopGlyph = QStringLiteral("\u25A0");

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

template <typename Widget>
Widget* WithToolTip(Widget* widget, const QString& toolTip) {
    if (!toolTip.isEmpty()) {
        widget->setToolTip(toolTip);
    }
    return widget;
}

QLabel* NewLabel(QWidget* parent, const QString& caption, const QString& toolTip = QString()) {
    return WithToolTip(new QLabel(caption, parent), toolTip);
}

// A one-line text box; maxTyped > 0 limits what the user can type (program-set texts stay whole).
QLineEdit* NewTextBox(QWidget* parent, const QString& text, int maxTyped) {
    auto* box = new QLineEdit(text, parent);
    if (maxTyped > 0) {
        LimitTyping(box, maxTyped);
    }
    return box;
}

QPushButton* NewButton(QWidget* parent, const QString& caption, const QString& toolTip = QString()) {
    auto* button = WithToolTip(new QPushButton(caption, parent), toolTip);
    button->setAutoDefault(false);
    // A little air around the caption, in the font's own measure so it scales with it.
    button->setMinimumWidth(button->sizeHint().width() + button->fontMetrics().averageCharWidth());
    return button;
}

QCheckBox* NewCheckBox(QWidget* parent, const QString& caption, const QString& toolTip) {
    return WithToolTip(new QCheckBox(caption, parent), toolTip);
}

// Narrow boxes for short numbers, wide enough for `characters` digits at any scaling.
void FitWidth(QLineEdit* box, int characters) {
    const QFontMetrics metrics(box->font());
    box->setFixedWidth(metrics.horizontalAdvance(QString(characters, QLatin1Char('0'))) +
                       2 * metrics.averageCharWidth() + 8);
}

// A square button for a glyph.
void MakeGlyphButton(QPushButton* button, const QString& accessibleName) {
    button->setAccessibleName(accessibleName);
    const int side = button->sizeHint().height();
    button->setFixedSize(side + side / 2, side);
}

// Keyboard accelerators of the captions move to the boxes they name.
void SetBuddies(std::initializer_list<std::pair<QLabel*, QWidget*>> buddies) {
    for (const auto& [label, box] : buddies) {
        label->setBuddy(box);
    }
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets, bool stretchAtEnd = true) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) {
        row->addWidget(widget);
    }
    if (stretchAtEnd) {
        row->addStretch(1);
    }
    return row;
}

// The filters of the melody formats other than RE files and ringtone text, from the table of
// formats: "MIDI file|*.mid;*.midi|...".
QString OtherMelodyFilters() {
    QStringList filters;
    for (const interchange::MelodyFormat& format : interchange::MelodyFormats()) {
        const std::string filter = interchange::FileDialogFilter(format);
        if (!filter.empty() && format.content != interchange::MelodyContent::Record &&
            format.content != interchange::MelodyContent::Ringtone) {
            filters.append(QString::fromStdString(filter));
        }
    }
    return filters.join(QLatin1Char('|'));
}

}  // namespace

MainWindow::MainWindow(Prompter& prompter, QWidget* parent)
    : QWidget(parent),
      openMelodyDialog(QStringLiteral("Open Melody File..."),
                       QStringLiteral("Ringtones .RTX and .ERT (Extended RTX)|*.rtx;*.ert|") + OtherMelodyFilters() +
                           QStringLiteral("|Raw melody [*.RE]|*.re|All Files|*.*"),
                       FileDialogMode::Open),
      saveReDialog(QStringLiteral("Save Raw File..."), QStringLiteral("Raw melody [*.RE]|*.re|All Files|*.*"),
                   FileDialogMode::Save),
      openFirmwareDialog(QStringLiteral("Open Firmware File..."),
                         QStringLiteral("Firmware Images in Dejan format|*.fls|All Files|*.*"), FileDialogMode::Open),
      saveFirmwareDialog(QStringLiteral("Save FirmWare As..."),
                         QStringLiteral("FirmWare File [*.FLS]|*.fls|All Files|*.*"), FileDialogMode::Save),
      saveRtxDialog(QStringLiteral("Save RTX File..."),
                    QStringLiteral("Extended RTX melody [*.ERT]|*.ert|RTX melody [*.000]|*.rtx|All Files|*.*"),
                    FileDialogMode::Save),
      openReDialog(QStringLiteral("Open raw File..."), QStringLiteral("RE Melody Files|*.re|All Files|*.*"),
                   FileDialogMode::Open),
      exportReDialog(QStringLiteral("Export raw melody from firmware..."),
                     QStringLiteral("RE melody [*.RE]|*.re|") + OtherMelodyFilters() + QStringLiteral("|All Files|*.*"),
                     FileDialogMode::Save),
      prompter_(prompter), exportRollDialog(QStringLiteral("Export Piano Roll..."),
                                            QStringLiteral("SVG Picture|*.svg|All Files|*.*"), FileDialogMode::Save) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Belltower v.1.1 by Quenby"));
    setWindowIcon(ProgramIcon());
    setFont(WindowFont());
    CreateControls();
    CreatePianoRoll();
    for (const auto& [name, control] : ControlTable()) {
        control->setObjectName(QLatin1String(name));
    }
    NameForScreenReaders();
    LayOutControls();
    SetTabOrder();
    CreateMenus();
    RememberDialogFolders();

    ConnectMelodyControls();
    ConnectBankControls();
    ConnectEncoderControls();
    ConnectPreviewControls();
    ConnectPianoRollControls();
    connect(aboutButton, &QPushButton::clicked, this, &MainWindow::ShowAbout);
    // A file dropped onto the window opens as one named at start-up; an RE file is imported.
    AcceptFileDrops(this, [this](const QString& path) { OpenDroppedFile(path); });
    // Further areas connect their controls here, one Connect<Area>Controls() call each.
    UpdateHistoryActions();
    UpdateTitle();
}

void MainWindow::CreateControls() {
    CreateMelodyFields();
    CreateRecordFields();
    CreateMelodyOptions();
    CreateMelodyCommands();
    CreateFirmwareList();
    CreateListCommands();
    CreateMelodyDetails();
    CreatePreviewControls();
    CreateFooter();
}

void MainWindow::CreateMelodyFields() {
    nameLabel = NewLabel(this, QStringLiteral("Name:"),
                         QStringLiteral("Name of your tone (More than 14 characters not recommended!)"));
    nameEdit = NewTextBox(this, QString(), 30);
    nameCounter = NewLabel(this, QStringLiteral("14"));
    durationLabel = NewLabel(this, QStringLiteral("&Duration:"),
                             QStringLiteral("Default note fraction duration used for letters without any number"));
    durationEdit = NewTextBox(this, QStringLiteral("8"), 2);
    octaveLabel = NewLabel(this, QStringLiteral("&Octave:"),
                           QStringLiteral("Default octave for notes without specified octave. "
                                          "Note that only 5, 6 and 7 are playable!"));
    octaveEdit = NewTextBox(this, QStringLiteral("6"), 1);
    tempoLabel = NewLabel(this, QStringLiteral("&BPM:"), QStringLiteral("Tempo of the whole song"));
    tempoEdit = NewTextBox(this, QStringLiteral("140"), 5);
    notesEdit = new QPlainTextEdit(this);
    notesEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notesEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    notesEdit->setTabChangesFocus(true);
    tokenList = new QListWidget(this);
    notesProblems = Named(NewLabel(this, QString()), "notesProblems");
    notesProblems->setTextFormat(Qt::RichText);
    notesProblems->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    notesProblems->setAccessibleName(QStringLiteral("Problems in the notes"));
    SetBuddies(
        {{nameLabel, nameEdit}, {durationLabel, durationEdit}, {octaveLabel, octaveEdit}, {tempoLabel, tempoEdit}});
}

// The fields that go into the melody record besides the notes: ID, delay, index, staccato.
void MainWindow::CreateRecordFields() {
    // Its accelerator is R: Alt+F opens the File menu.
    idLabel = NewLabel(this, QStringLiteral("Fou&rCC ID:"),
                       QStringLiteral("Please use characters A-Z and numbers. This one is not very important."));
    idEdit = NewTextBox(this, QString(), 4);
    delayLabel = NewLabel(this, QStringLiteral("&@ Delay"),
                          QStringLiteral("Appends a silence of this defined value. Usual values are 1 and 15."));
    delayEdit = NewTextBox(this, QStringLiteral("1"), 0);
    indexLabel = NewLabel(this, QStringLiteral("Unique &Index:"),
                          QStringLiteral("An index number from 1. Two songs mustn't have this one equal! "
                                         "Keep it within shortint interval please!"));
    indexEdit = NewTextBox(this, QStringLiteral("1"), 10);
    staccatoLabel = NewLabel(this,
                             QStringLiteral("&Staccato tone limiting length. 0 to disable, 4 for rapid, "
                                            "6 recommended for normal staccato melody."),
                             QStringLiteral("Use Staccato to give some extra sense of rhythm to your song."));
    staccatoLabel->setWordWrap(true);
    staccatoEdit = NewTextBox(this, QStringLiteral("0"), 5);
    SetBuddies({{idLabel, idEdit}, {delayLabel, delayEdit}, {indexLabel, indexEdit}, {staccatoLabel, staccatoEdit}});
}

void MainWindow::CreateMelodyOptions() {
    playTwiceBox = NewCheckBox(this, QStringLiteral("Suggest playing twice"),
                               QStringLiteral("Recommended, unless you want that melody to loop infinitely "
                                              "when used as an SMS alert."));
    forceOnePlayBox = NewCheckBox(this, QStringLiteral("For&ce ONE play"),
                                  QStringLiteral("When checked, the melody will play only once. To ensure it, "
                                                 "check \"Suggest playing twice\" also."));
    noSmallPausesBox =
        NewCheckBox(this, QStringLiteral("Disable small pauses between identical tones (NOT recommended!)"),
                    QStringLiteral("This will blend two same notes together forming one longer note."));
}

// The row under the melody fields: files in and out, play and stop.
void MainWindow::CreateMelodyCommands() {
    openRtxButton =
        NewButton(this, QStringLiteral("Open RTX"), QStringLiteral("Loads a melody file into edit fields."));
    saveReButton = NewButton(this, QStringLiteral("Save as RE..."),
                             QStringLiteral("Save this RTX tone to a RE chunk that is readable by PPM Manager."));
    saveRtxButton = NewButton(this, QStringLiteral("Save as RTX"));
    playNotesButton = NewButton(
        this, kPlayGlyph, QStringLiteral("Play. Tip: Select some notes and it will play the selected part only."));
    stopButton = Named(NewButton(this, kStopGlyph, QStringLiteral("Stop the preview")), "stopButton");
    MakeGlyphButton(playNotesButton, QStringLiteral("Play"));
    MakeGlyphButton(stopButton, QStringLiteral("Stop"));
}

// The firmware row over the melody list, and the list with its move and play buttons.
void MainWindow::CreateFirmwareList() {
    loadFirmwareButton =
        NewButton(this, QStringLiteral("Load Firmware"), QStringLiteral("Opens a FLS file that can be then altered."));
    keepBankBox = NewCheckBox(this, QStringLiteral("Keep TONE chunk from previous session"),
                              QStringLiteral("This lets you easily transfer the whole tone chunk between different "
                                             "firmware files. Load fw with tones, check this, load another and save "
                                             "with the first tone chunk."));
    bankCountLabel = NewLabel(
        this, QString(), QStringLiteral("Watch for not adding more than 35 tones on Nokia 7110 or 65 on other types!"));
    bankList = new QListWidget(this);
    moveUpButton = NewButton(this, kUpGlyph, QStringLiteral("Move Up"));
    moveDownButton = NewButton(this, kDownGlyph, QStringLiteral("Move Down"));
    playMelodyButton = NewButton(this, kPlayGlyph, QStringLiteral("Play"));
    MakeGlyphButton(moveUpButton, QStringLiteral("Move Up"));
    MakeGlyphButton(moveDownButton, QStringLiteral("Move Down"));
    MakeGlyphButton(playMelodyButton, QStringLiteral("Play"));
}

// The two rows of buttons under the melody details: list changes, then files.
void MainWindow::CreateListCommands() {
    replaceButton = NewButton(this, QStringLiteral("Replace"),
                              QStringLiteral("Replaces a selected melody with the contents of RTX edit fields above."));
    replaceFromFileButton = NewButton(this, QStringLiteral("File.."),
                                      QStringLiteral("Replaces the selected melody with a RE melody image from file."));
    insertButton = NewButton(this, QStringLiteral("Insert"), QStringLiteral("Inserts a RTX melody above the cursor."));
    insertFromFileButton =
        NewButton(this, QStringLiteral("File.."), QStringLiteral("Inserts a melody from a RE image file."));
    deleteButton = NewButton(this, QStringLiteral("Delete"), QStringLiteral("Removes selected melody."));
    reindexButton = NewButton(this, QStringLiteral("Reindex!"),
                              QStringLiteral("Press this before each file saving to ensure proper indexing!"));
    exportButton = NewButton(this, QStringLiteral("Export"),
                             QStringLiteral("Exports selected melody from firmware to a RE file."));
    saveFirmwareButton = NewButton(this, QStringLiteral("Save Firmware..."),
                                   QStringLiteral("After you have done your work, don't forget to save it."));
}

// The selected melody's name, ID, index, purpose and play mode, with Apply.
void MainWindow::CreateMelodyDetails() {
    melodyNameLabel = NewLabel(this, QStringLiteral("Name:"),
                               QStringLiteral("You can rename your tones even if they are in the firmware. "
                                              "Don't forget to hit Apply."));
    melodyNameEdit = NewTextBox(this, QString(), 30);
    melodyNameCounter = NewLabel(this, QStringLiteral("14"));
    melodyIdLabel =
        NewLabel(this, QStringLiteral("ID:"), QStringLiteral("Optional. Please use alphanumeric characters and _."));
    melodyIdEdit = NewTextBox(this, QString(), 4);
    melodyIndexLabel = NewLabel(this, QStringLiteral("Index:"),
                                QStringLiteral("It must be unique. If two melodies have the same index, only the "
                                               "contents of the first one is accessible!"));
    melodyIndexEdit = NewTextBox(this, QString(), 10);
    purposeLabel = NewLabel(this, QStringLiteral("Purpose:"),
                            QStringLiteral("Applicable on Unicode phones only. Distinguishes between system beeps "
                                           "and ringtones. Ringtones must have this set to 2."));
    purposeEdit = NewTextBox(this, QString(), 10);
    purposeEdit->setEnabled(false);
    playModeLabel = NewLabel(this, QString());
    applyButton =
        NewButton(this, QStringLiteral("Apply"), QStringLiteral("Apply what you have filled in the 3 boxes above"));
    applyButton->setEnabled(false);
    // As wide as its caption with a name of the 14 characters a phone shows, from the start, so
    // a melody's name does not resize the row; longer names end in an ellipsis.
    applyButton->setText(QStringLiteral("Apply to ") + QString(kApplyNameCharacters, QLatin1Char('n')));
    applyButton->setFixedWidth(applyButton->sizeHint().width());
    applyButton->setText(QStringLiteral("Apply"));
    formatMailbox = NewLabel(this, QString());
    formatMailbox->setVisible(false);
    SetBuddies({{melodyNameLabel, melodyNameEdit},
                {melodyIdLabel, melodyIdEdit},
                {melodyIndexLabel, melodyIndexEdit},
                {purposeLabel, purposeEdit}});
}

void MainWindow::CreatePreviewControls() {
    hardwareLabel = NewLabel(this, QStringLiteral("Hardware"),
                             QStringLiteral("About emulating phone behavior: None will play all octaves, Phone will "
                                            "play 5 thru 7, LM will play 4 thru 7. Lets you check if there aren't any "
                                            "notes out of range."));
    hardwareCombo = new QComboBox(this);
    hardwareCombo->addItems({QStringLiteral("None"), QStringLiteral("Phone"), QStringLiteral("LogoManager")});
    hardwareCombo->setCurrentIndex(1);
    hardwareLabel->setBuddy(hardwareCombo);
    vibrationBox =
        NewCheckBox(this, QStringLiteral("Emulate Vibration"),
                    QStringLiteral("Will generate vroom when the motor would vibrate. Adds realistic sound "
                                   "to the preview. Does not affect the way a tone is added into firmware."));
    vibrationBox->setChecked(true);
    halfQualityBox =
        NewCheckBox(this, QStringLiteral("Half Quality"),
                    QStringLiteral("Smaller (temporary) wave file, worse quality. Affect the play button only."));
}

// The credit line with "?", and the status bar under everything.
void MainWindow::CreateFooter() {
    creditLabel = NewLabel(this, QStringLiteral("Belltower 1.1, melodies for Nokia DCT3 phones"));
    aboutButton = NewButton(this, QStringLiteral("?"));
    MakeGlyphButton(aboutButton, QStringLiteral("About Belltower"));
    statusBar = Named(new QStatusBar(this), "statusBar");
    statusBar->setSizeGripEnabled(false);
    // Always there, so a message never changes the window's size.
    statusBar->setAccessibleName(QStringLiteral("Status"));
}

// Names for a screen reader where a control has no caption of its own or its caption (a
// number, a glyph) says nothing.
void MainWindow::NameForScreenReaders() {
    const std::pair<QWidget*, const char*> names[] = {
        {nameCounter, "characters left"},
        {melodyNameCounter, "characters left"},
        {notesEdit, "Notes"},
        {tokenList, "Tokens of the notes"},
        {bankList, "Firmware melodies"},
        {bankCountLabel, "Number of melodies"},
        {playModeLabel, "Play mode"},
        {creditLabel, "Firmware header"},
        {formatMailbox, "Text format"},
        {pianoRoll, "Piano roll"},
    };
    for (const auto& [widget, name] : names) {
        widget->setAccessibleName(QLatin1String(name));
    }
}

void MainWindow::LayOutControls() {
    FitWidth(durationEdit, 3);
    FitWidth(octaveEdit, 3);
    FitWidth(tempoEdit, 5);
    FitWidth(idEdit, 5);
    FitWidth(delayEdit, 5);
    FitWidth(indexEdit, 10);
    FitWidth(staccatoEdit, 5);
    FitWidth(melodyIdEdit, 5);
    FitWidth(melodyIndexEdit, 10);
    FitWidth(purposeEdit, 5);
    const QFontMetrics metrics(font());
    nameCounter->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("-000")));
    melodyNameCounter->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("-000")));
    tokenList->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000000000")));

    // The melody and its piano roll on the left; the firmware melodies with the preview options
    // on the right. Extra height goes to the notes and the lists (the roll keeps its height
    // unless the user drags the splitter), so the window fits a small screen.
    melodySplitter->addWidget(LayOutMelodyBox());
    melodySplitter->addWidget(rollArea);
    melodySplitter->setStretchFactor(0, 1);
    melodySplitter->setStretchFactor(1, 0);
    auto* previewBox = Named(new QGroupBox(QStringLiteral("Preview"), this), "previewBox");
    auto* preview = new QGridLayout(previewBox);
    preview->addLayout(Row({hardwareLabel, hardwareCombo}), 0, 0, 1, 2);
    preview->addWidget(vibrationBox, 1, 0);
    preview->addWidget(halfQualityBox, 1, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(LayOutBankBox(), 1);
    right->addWidget(previewBox);

    auto* window = new QGridLayout(this);
    window->addWidget(melodySplitter, 0, 0);
    window->addLayout(right, 0, 1);
    window->setColumnStretch(0, 3);
    window->setColumnStretch(1, 2);
    window->setRowStretch(0, 1);
    auto* footer = new QHBoxLayout;
    footer->addWidget(creditLabel, 1);
    footer->addWidget(aboutButton);
    window->addLayout(footer, 1, 0, 1, 2);
    window->addWidget(statusBar, 2, 0, 1, 2);
}

// Melody edit area: name, settings, notes with their problems, options, commands.
QGroupBox* MainWindow::LayOutMelodyBox() {
    melodyBox = Named(new QGroupBox(QStringLiteral("Melody"), this), "melodyBox");
    auto* melody = new QGridLayout(melodyBox);
    melody->addWidget(nameLabel, 0, 0);
    melody->addLayout(Row({nameEdit, nameCounter}, false), 0, 1);
    melody->addLayout(Row({durationLabel, durationEdit, octaveLabel, octaveEdit, tempoLabel, tempoEdit}), 1, 0, 1, 2);
    auto* notes = new QHBoxLayout;
    notes->addWidget(notesEdit, 1);
    notes->addWidget(tokenList);
    melody->addLayout(notes, 2, 0, 1, 2);
    melody->setRowStretch(2, 1);
    melody->addWidget(notesProblems, 3, 0, 1, 2);
    melody->addLayout(Row({idLabel, idEdit, delayLabel, delayEdit, indexLabel, indexEdit}), 4, 0, 1, 2);
    auto* staccato = new QHBoxLayout;
    staccato->addWidget(staccatoLabel, 1);
    staccato->addWidget(staccatoEdit, 0, Qt::AlignTop);
    melody->addLayout(staccato, 5, 0, 1, 2);
    melody->addWidget(playTwiceBox, 6, 0, 1, 2);
    melody->addWidget(forceOnePlayBox, 7, 0, 1, 2);
    melody->addWidget(noSmallPausesBox, 8, 0, 1, 2);
    auto* melodyCommands = Row({openRtxButton, saveRtxButton, saveReButton});
    melodyCommands->addWidget(playNotesButton);
    melodyCommands->addWidget(stopButton);
    melody->addLayout(melodyCommands, 9, 0, 1, 2);
    return melodyBox;
}

// Tone bank area: firmware, the list with its move and play buttons, the selected melody, and
// the commands in three short rows.
QGroupBox* MainWindow::LayOutBankBox() {
    auto* bankBox = Named(new QGroupBox(QStringLiteral("Firmware melodies"), this), "bankBox");
    auto* bank = new QVBoxLayout(bankBox);
    auto* firmware = Row({loadFirmwareButton});
    firmware->addWidget(bankCountLabel);
    bank->addLayout(firmware);
    bank->addWidget(keepBankBox);
    auto* list = new QGridLayout;
    list->addWidget(bankList, 0, 0, 4, 1);
    list->addWidget(moveUpButton, 0, 1);
    list->addWidget(moveDownButton, 1, 1);
    list->addWidget(playMelodyButton, 2, 1);
    list->setRowStretch(3, 1);
    bank->addLayout(list, 1);
    auto* properties = new QGridLayout;
    properties->addWidget(melodyNameLabel, 0, 0);
    properties->addLayout(Row({melodyNameEdit, melodyNameCounter}, false), 0, 1, 1, 3);
    properties->addWidget(melodyIdLabel, 1, 0);
    properties->addWidget(melodyIdEdit, 1, 1);
    properties->addWidget(melodyIndexLabel, 1, 2, Qt::AlignRight);
    properties->addWidget(melodyIndexEdit, 1, 3);
    properties->addWidget(purposeLabel, 2, 0);
    properties->addWidget(purposeEdit, 2, 1);
    properties->addWidget(playModeLabel, 2, 2, 1, 2);
    properties->addWidget(applyButton, 3, 0, 1, 4, Qt::AlignRight);
    properties->setColumnStretch(2, 1);
    bank->addLayout(properties);
    auto* commands = new QGridLayout;
    QWidget* const rows[][3] = {{replaceButton, replaceFromFileButton, deleteButton},
                                {insertButton, insertFromFileButton, reindexButton},
                                {exportButton, saveFirmwareButton, nullptr}};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (QWidget* button = rows[row][column]) {
                commands->addWidget(button, row, column);
            }
        }
    }
    commands->setColumnStretch(3, 1);
    bank->addLayout(commands);
    return bankBox;
}

void MainWindow::SetTabOrder() {
    // Each area in the order it reads: the melody fields, then their buttons; the preview
    // options; the firmware list, its details, then its buttons.
    QWidget* const order[] = {
        nameEdit,         durationEdit,
        octaveEdit,       tempoEdit,
        notesEdit,        tokenList,
        idEdit,           delayEdit,
        indexEdit,        staccatoEdit,
        playTwiceBox,     forceOnePlayBox,
        noSmallPausesBox, openRtxButton,
        saveRtxButton,    saveReButton,
        playNotesButton,  stopButton,
        hardwareCombo,    vibrationBox,
        halfQualityBox,   loadFirmwareButton,
        keepBankBox,      bankList,
        moveUpButton,     moveDownButton,
        playMelodyButton, melodyNameEdit,
        melodyIdEdit,     melodyIndexEdit,
        purposeEdit,      applyButton,
        replaceButton,    replaceFromFileButton,
        insertButton,     insertFromFileButton,
        deleteButton,     reindexButton,
        exportButton,     saveFirmwareButton,
        aboutButton,
    };
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void MainWindow::ShowAbout() {
    prompter_.ShowAbout();
}

std::optional<QString> MainWindow::OpenStartupFile(const QString& argument) {
    return OpenNamedFile(argument, false);
}

std::optional<QString> MainWindow::OpenNamedFile(const QString& argument, bool askToSave) {
    if (argument.isEmpty()) {
        return std::nullopt;
    }
    QString path = argument;
    if (path.startsWith(QLatin1Char('"'))) {
        path = path.mid(1, path.size() - 2);
    }
    // Only a regular file can be measured; a device or a pipe would be read forever.
    const QFileInfo info(path);
    if (!info.exists()) {
        return QStringLiteral("No such file or directory");
    }
    if (!info.isFile()) {
        return QStringLiteral("Not a regular file");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.errorString();
    }
    const qint64 size = file.size();
    file.close();
    if (size < 0 || size > kLargestMelodyFile) {
        // A kept bank is not replaced, so there is nothing to ask.
        if (!askToSave || keepBankBox->isChecked() || MaySaveBank()) {
            LoadFirmware(path);
        }
    } else if (!askToSave || MaySaveFields()) {
        ReadRtxFile(path);
    }
    return std::nullopt;
}

}  // namespace belltower::ui
