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
#include <QVBoxLayout>

#include "ui/file_drop.h"
#include "ui/name_counter.h"
#include "ui/prompter.h"
#include "ui/typing_limit.h"
#include "ui/window_style.h"

namespace belltower::ui {
namespace {

// Up, down and play symbols for the small arrow buttons.
const QString kUpGlyph = QStringLiteral("\u25B2");
const QString kDownGlyph = QStringLiteral("\u25BC");
const QString kPlayGlyph = QStringLiteral("\u25B6");

template <typename Widget> Widget* Named(Widget* widget, const char* name, const QString& toolTip = QString()) {
    widget->setObjectName(QLatin1String(name));
    if (!toolTip.isEmpty()) {
        widget->setToolTip(toolTip);
    }
    return widget;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption, const QString& toolTip = QString()) {
    return Named(new QLabel(caption, parent), name, toolTip);
}

// A one-line text box; maxTyped > 0 limits what the user can type (program-set texts stay whole).
QLineEdit* NewTextBox(QWidget* parent, const char* name, const QString& text, int maxTyped) {
    auto* box = Named(new QLineEdit(text, parent), name);
    if (maxTyped > 0) {
        LimitTyping(box, maxTyped);
    }
    return box;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption, const QString& toolTip = QString()) {
    auto* button = Named(new QPushButton(caption, parent), name, toolTip);
    button->setAutoDefault(false);
    // A little air around the caption, in the font's own measure so it scales with it.
    button->setMinimumWidth(button->sizeHint().width() + button->fontMetrics().averageCharWidth());
    return button;
}

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const QString& caption, const QString& toolTip) {
    return Named(new QCheckBox(caption, parent), name, toolTip);
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

}  // namespace

Form1::Form1(Prompter& prompter, QWidget* parent)
    : QWidget(parent),
      CD1(QStringLiteral("Open Melody File..."),
          QStringLiteral("Ringtones .RTX and .ERT (Extended RTX)|*.rtx;*.ert|All Files|*.*"), FileDialogMode::Open),
      cd2(QStringLiteral("Save Raw File..."), QStringLiteral("Raw melody [*.RE]|*.re|All Files|*.*"),
          FileDialogMode::Save),
      CD3(QStringLiteral("Open Firmware File..."),
          QStringLiteral("Firmware Images in Dejan format|*.fls|All Files|*.*"), FileDialogMode::Open),
      CD4(QStringLiteral("Save FirmWare As..."), QStringLiteral("FirmWare File [*.FLS]|*.fls|All Files|*.*"),
          FileDialogMode::Save),
      CD5(QStringLiteral("Save RTX File..."),
          QStringLiteral("Extended RTX melody [*.ERT]|*.ert|RTX melody [*.000]|*.rtx|All Files|*.*"),
          FileDialogMode::Save),
      CD6(QStringLiteral("Open raw File..."), QStringLiteral("RE Melody Files|*.re|All Files|*.*"),
          FileDialogMode::Open),
      CD7(QStringLiteral("Export raw melody from firmware..."), QStringLiteral("RE melody [*.RE]|*.re|All Files|*.*"),
          FileDialogMode::Save),
      prompter_(prompter) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Belltower v.1.1 by Quenby"));
    setWindowIcon(ProgramIcon());
    setFont(WindowFont());
    CreateControls();
    LayOutControls();

    ConnectMelodyControls();
    ConnectBankControls();
    ConnectEncoderControls();
    ConnectPreviewControls();
    connect(Command16, &QPushButton::clicked, this, &Form1::ShowAbout);
    // A file dropped onto the window opens as one named at start-up.
    AcceptFileDrops(this, [this](const QString& path) { OpenStartupFile(path); });
    // Further areas connect their controls here, one Connect<Area>Controls() call each.
}

void Form1::CreateControls() {
    // Melody edit area.
    Label1 = NewLabel(this, "Label1", QStringLiteral("Name:"),
                      QStringLiteral("Name of your tone (More than 14 characters not recommended!)"));
    Text1 = NewTextBox(this, "Text1", QString(), 30);
    zbyva = NewLabel(this, "zbyva", QStringLiteral("14"));
    Label2 = NewLabel(this, "Label2", QStringLiteral("&Duration:"),
                      QStringLiteral("Default note fraction duration used for letters without any number"));
    Text2 = NewTextBox(this, "Text2", QStringLiteral("8"), 2);
    Label3 = NewLabel(this, "Label3", QStringLiteral("&Octave:"),
                      QStringLiteral("Default octave for notes without specified octave. "
                                     "Note that only 5, 6 and 7 are playable!"));
    Text3 = NewTextBox(this, "Text3", QStringLiteral("6"), 1);
    Label4 = NewLabel(this, "Label4", QStringLiteral("&BPM:"), QStringLiteral("Tempo of the whole song"));
    Text4 = NewTextBox(this, "Text4", QStringLiteral("140"), 5);
    Text5 = Named(new QPlainTextEdit(this), "Text5");
    Text5->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text5->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Text5->setTabChangesFocus(true);
    Label5 = NewLabel(this, "Label5", QStringLiteral("&FourCC ID:"),
                      QStringLiteral("Please use characters A-Z and numbers. This one is not very important."));
    Text6 = NewTextBox(this, "Text6", QString(), 4);
    Label6 = NewLabel(this, "Label6", QStringLiteral("&@ Delay"),
                      QStringLiteral("Appends a silence of this defined value. Usual values are 1 and 15."));
    Text7 = NewTextBox(this, "Text7", QStringLiteral("1"), 0);
    Label7 = NewLabel(this, "Label7", QStringLiteral("Unique &Index:"),
                      QStringLiteral("An index number from 1. Two songs mustn't have this one equal! "
                                     "Keep it within shortint interval please!"));
    Text8 = NewTextBox(this, "Text8", QStringLiteral("1"), 10);
    Label8 = NewLabel(this, "Label8",
                      QStringLiteral("&Staccato tone limiting length. 0 to disable, 4 for rapid, "
                                     "6 recommended for normal staccato melody."),
                      QStringLiteral("Use Staccato to give some extra sense of rhythm to your song."));
    Label8->setWordWrap(true);
    Text9 = NewTextBox(this, "Text9", QStringLiteral("0"), 5);
    Check1 = NewCheckBox(this, "Check1", QStringLiteral("Suggest playing twice"),
                         QStringLiteral("Recommended, unless you want that melody to loop infinitely "
                                        "when used as an SMS alert."));
    Check2 = NewCheckBox(this, "Check2", QStringLiteral("For&ce ONE play"),
                         QStringLiteral("When checked, the melody will play only once. To ensure it, "
                                        "check \"Suggest playing twice\" also."));
    Check3 =
        NewCheckBox(this, "Check3", QStringLiteral("Disable small pauses between identical tones (NOT recommended!)"),
                    QStringLiteral("This will blend two same notes together forming one longer note."));
    List1 = Named(new QListWidget(this), "List1");
    Command1 = NewButton(this, "Command1", QStringLiteral("Open RTX"),
                         QStringLiteral("Loads a melody file into edit fields."));
    Command2 = NewButton(this, "Command2", QStringLiteral("Save as RE..."),
                         QStringLiteral("Save this RTX tone to a RE chunk that is readable by PPM Manager."));
    Command15 = NewButton(this, "Command15", QStringLiteral("Save as RTX"));

    // Tone bank area.
    Command3 = NewButton(this, "Command3", QStringLiteral("Load Firmware"),
                         QStringLiteral("Opens a FLS file that can be then altered."));
    Check4 = NewCheckBox(this, "Check4", QStringLiteral("Keep TONE chunk from previous session"),
                         QStringLiteral("This lets you easily transfer the whole tone chunk between different "
                                        "firmware files. Load fw with tones, check this, load another and save "
                                        "with the first tone chunk."));
    List2 = Named(new QListWidget(this), "List2");
    Command4 = NewButton(this, "Command4", kUpGlyph, QStringLiteral("Move Up"));
    Command5 = NewButton(this, "Command5", kDownGlyph, QStringLiteral("Move Down"));
    Command6 = NewButton(this, "Command6", QStringLiteral("Replace"),
                         QStringLiteral("Replaces a selected melody with the contents of RTX edit fields above."));
    Command7 =
        NewButton(this, "Command7", QStringLiteral("Insert"), QStringLiteral("Inserts a RTX melody above the cursor."));
    Command8 = NewButton(this, "Command8", QStringLiteral("Delete"), QStringLiteral("Removes selected melody."));
    Command10 = NewButton(this, "Command10", QStringLiteral("Reindex!"),
                          QStringLiteral("Press this before each file saving to ensure proper indexing!"));
    Command9 = NewButton(this, "Command9", QStringLiteral("Save Firmware..."),
                         QStringLiteral("After you have done your work, don't forget to save it."));
    Label9 = NewLabel(this, "Label9", QStringLiteral("Name:"),
                      QStringLiteral("You can rename your tones even if they are in the firmware. "
                                     "Don't forget to hit Apply."));
    Text10 = NewTextBox(this, "Text10", QString(), 30);
    zbyva2 = NewLabel(this, "zbyva2", QStringLiteral("14"));
    Label10 = NewLabel(this, "Label10", QStringLiteral("ID:"),
                       QStringLiteral("Optional. Please use alphanumeric characters and _."));
    Text11 = NewTextBox(this, "Text11", QString(), 4);
    Label11 = NewLabel(this, "Label11", QStringLiteral("Index:"),
                       QStringLiteral("It must be unique. If two melodies have the same index, only the "
                                      "contents of the first one is accessible!"));
    Text12 = NewTextBox(this, "Text12", QString(), 10);
    Label14 = NewLabel(this, "Label14", QStringLiteral("Purpose:"),
                       QStringLiteral("Applicable on Unicode phones only. Distinguishes between system beeps "
                                      "and ringtones. Ringtones must have this set to 2."));
    Text13 = NewTextBox(this, "Text13", QString(), 10);
    Text13->setEnabled(false);
    Label13 = NewLabel(this, "Label13", QString());
    Command11 = NewButton(this, "Command11", QStringLiteral("Apply"),
                          QStringLiteral("Apply what you have filled in the 3 boxes above"));
    Command11->setEnabled(false);
    Command12 = NewButton(this, "Command12", QStringLiteral("File.."),
                          QStringLiteral("Replaces the selected melody with a RE melody image from file."));
    Command13 = NewButton(this, "Command13", QStringLiteral("File.."),
                          QStringLiteral("Inserts a melody from a RE image file."));
    Command14 = NewButton(this, "Command14", QStringLiteral("Export"),
                          QStringLiteral("Exports selected melody from firmware to a RE file."));
    Label12 = NewLabel(this, "Label12", QString(),
                       QStringLiteral("Watch for not adding more than 35 tones on Nokia 7110 or 65 on other types!"));
    ascii = NewLabel(this, "ascii", QString());
    ascii->setVisible(false);

    // Preview area and the rest.
    Label15 = NewLabel(this, "Label15", QStringLiteral("Hardware"),
                       QStringLiteral("About emulating phone behavior: None will play all octaves, Phone will "
                                      "play 5 thru 7, LM will play 4 thru 7. Lets you check if there aren't any "
                                      "notes out of range."));
    Combo1 = Named(new QComboBox(this), "Combo1");
    Combo1->addItems({QStringLiteral("None"), QStringLiteral("Phone"), QStringLiteral("LogoManager")});
    Combo1->setCurrentIndex(1);
    Check5 = NewCheckBox(this, "Check5", QStringLiteral("Emulate Vibration"),
                         QStringLiteral("Will generate vroom when the motor would vibrate. Adds realistic sound "
                                        "to the preview. Does not affect the way a tone is added into firmware."));
    Check5->setChecked(true);
    Check6 = NewCheckBox(this, "Check6", QStringLiteral("Half Quality"),
                         QStringLiteral("Smaller (temporary) wave file, worse quality. Affect the play button only."));
    Command18 = NewButton(this, "Command18", kPlayGlyph,
                          QStringLiteral("Play. Tip: Select some notes and it will play the selected part only."));
    Command17 = NewButton(this, "Command17", kPlayGlyph, QStringLiteral("Play"));
    Command16 = NewButton(this, "Command16", QStringLiteral("?"));
    email = NewLabel(this, "email", QStringLiteral("Belltower 1.1, melodies for Nokia DCT3 phones"));

    // Keyboard accelerators of the captions move to the boxes they name.
    const std::pair<QLabel*, QWidget*> buddies[] = {
        {Label1, Text1},   {Label2, Text2},   {Label3, Text3},   {Label4, Text4},  {Label5, Text6},
        {Label6, Text7},   {Label7, Text8},   {Label8, Text9},   {Label9, Text10}, {Label10, Text11},
        {Label11, Text12}, {Label14, Text13}, {Label15, Combo1},
    };
    for (const auto& [label, box] : buddies) {
        label->setBuddy(box);
    }
    MakeGlyphButton(Command4, QStringLiteral("Move Up"));
    MakeGlyphButton(Command5, QStringLiteral("Move Down"));
    MakeGlyphButton(Command17, QStringLiteral("Play"));
    MakeGlyphButton(Command18, QStringLiteral("Play"));
    MakeGlyphButton(Command16, QStringLiteral("About Belltower"));
}

void Form1::LayOutControls() {
    FitWidth(Text2, 3);
    FitWidth(Text3, 3);
    FitWidth(Text4, 5);
    FitWidth(Text6, 5);
    FitWidth(Text7, 5);
    FitWidth(Text8, 10);
    FitWidth(Text9, 5);
    FitWidth(Text11, 5);
    FitWidth(Text12, 10);
    FitWidth(Text13, 5);
    const QFontMetrics metrics(font());
    zbyva->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("-000")));
    zbyva2->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("-000")));
    List1->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000000000")));

    // Melody edit area: name, settings, notes, options, commands.
    auto* melodyBox = Named(new QGroupBox(QStringLiteral("Melody"), this), "melodyBox");
    auto* melody = new QGridLayout(melodyBox);
    melody->addWidget(Label1, 0, 0);
    melody->addLayout(Row({Text1, zbyva}, false), 0, 1);
    melody->addLayout(Row({Label2, Text2, Label3, Text3, Label4, Text4}), 1, 0, 1, 2);
    auto* notes = new QHBoxLayout;
    notes->addWidget(Text5, 1);
    notes->addWidget(List1);
    melody->addLayout(notes, 2, 0, 1, 2);
    melody->setRowStretch(2, 1);
    melody->addLayout(Row({Label5, Text6, Label6, Text7, Label7, Text8}), 3, 0, 1, 2);
    auto* staccato = new QHBoxLayout;
    staccato->addWidget(Label8, 1);
    staccato->addWidget(Text9, 0, Qt::AlignTop);
    melody->addLayout(staccato, 4, 0, 1, 2);
    melody->addWidget(Check1, 5, 0, 1, 2);
    melody->addWidget(Check2, 6, 0, 1, 2);
    melody->addWidget(Check3, 7, 0, 1, 2);
    auto* melodyCommands = Row({Command1, Command15, Command2});
    melodyCommands->addWidget(Command18);
    melody->addLayout(melodyCommands, 8, 0, 1, 2);

    // Tone bank area: firmware, the list with its move and play buttons, the selected melody.
    auto* bankBox = Named(new QGroupBox(QStringLiteral("Firmware melodies"), this), "bankBox");
    auto* bank = new QVBoxLayout(bankBox);
    auto* firmware = Row({Command3, Check4});
    firmware->addWidget(Label12);
    bank->addLayout(firmware);
    auto* list = new QGridLayout;
    list->addWidget(List2, 0, 0, 4, 1);
    list->addWidget(Command4, 0, 1);
    list->addWidget(Command5, 1, 1);
    list->addWidget(Command17, 2, 1);
    list->setRowStretch(3, 1);
    bank->addLayout(list, 1);
    auto* properties = new QGridLayout;
    properties->addWidget(Label9, 0, 0);
    properties->addLayout(Row({Text10, zbyva2}, false), 0, 1, 1, 5);
    properties->addWidget(Label10, 1, 0);
    properties->addWidget(Text11, 1, 1);
    properties->addWidget(Label11, 1, 2, Qt::AlignRight);
    properties->addWidget(Text12, 1, 3);
    properties->addWidget(Label14, 1, 4, Qt::AlignRight);
    properties->addWidget(Text13, 1, 5);
    properties->addWidget(Label13, 2, 0, 1, 4);
    properties->addWidget(Command11, 2, 4, 1, 2);
    properties->setColumnStretch(2, 1);
    bank->addLayout(properties);
    auto* listCommands = Row({Command6, Command12, Command7, Command13, Command8});
    bank->addLayout(listCommands);
    auto* fileCommands = Row({Command10, Command14});
    fileCommands->addWidget(Command9);
    bank->addLayout(fileCommands);

    // Preview options.
    auto* previewBox = Named(new QGroupBox(QStringLiteral("Preview"), this), "previewBox");
    previewBox->setLayout(Row({Label15, Combo1, Check5, Check6}));

    auto* window = new QGridLayout(this);
    window->addWidget(melodyBox, 0, 0);
    window->addWidget(previewBox, 1, 0);
    window->addWidget(bankBox, 0, 1, 2, 1);
    window->setColumnStretch(0, 3);
    window->setColumnStretch(1, 2);
    window->setRowStretch(0, 1);
    auto* footer = new QHBoxLayout;
    footer->addWidget(email, 1);
    footer->addWidget(Command16);
    window->addLayout(footer, 2, 0, 1, 2);
}

void Form1::ShowAbout() {
    prompter_.ShowAbout();
}

void Form1::OpenStartupFile(const QString& argument) {
    if (argument.isEmpty()) {
        return;
    }
    QString path = argument;
    if (path.startsWith(QLatin1Char('"'))) {
        path = path.mid(1, path.size() - 2);
    }
    // Only a regular file can be measured; a device or a pipe would be read forever.
    if (!QFileInfo(path).isFile()) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const qint64 size = file.size();
    file.close();
    if (size < 0 || size > kLargestMelodyFile) {
        LoadFirmware(path);
    } else {
        ReadRtxFile(path);
    }
}

}  // namespace belltower::ui
