// SPDX-License-Identifier: GPL-3.0-or-later
// The piano roll under the melody fields: it follows the fields as the user types (encoding
// after a short pause in typing, failures shown in the roll itself, never in a box), shows the
// firmware melody selected in the list, moves a playhead during a preview, and exports what
// it shows as an SVG picture.
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include "formats/file_io.h"
#include "formats/tone_commands.h"
#include "interchange/piano_roll_svg.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"
#include "ui/core_text.h"
#include "ui/main_window.h"
#include "ui/notes_problems.h"
#include "ui/piano_roll_view.h"
#include "ui/prompter.h"

namespace belltower::ui {
namespace {

const QString kRollVisibleKey = QStringLiteral("PianoRoll/Visible");
const QString kRollSplitterKey = QStringLiteral("PianoRoll/Splitter");
const QString kRollZoomKey = QStringLiteral("PianoRoll/Zoom");
constexpr int kPlayheadIntervalMs = 30;
// Enough for the ruler and a few rows; the pane scrolls, and the window, the fit line under the
// roll included, fits a small screen.
constexpr int kRollMinimumHeight = 104;

// Shows a melody in the roll; a melody cut at the timeline's caps says where in the roll's band.
void ShowTimeline(PianoRollView& roll, melody::Timeline timeline) {
    std::optional<std::string> cut = melody::CutWarning(timeline);
    roll.SetTimeline(std::move(timeline));
    if (cut) {
        roll.SetFailure(FromCoreMessage(*cut));
    }
}

}  // namespace

void MainWindow::CreatePianoRoll() {
    pianoRoll = new PianoRollView;
    pianoRoll->setObjectName(QStringLiteral("pianoRoll"));
    pianoRollPane = new QScrollArea(this);
    pianoRollPane->setObjectName(QStringLiteral("pianoRollPane"));
    pianoRollPane->setWidget(pianoRoll);
    pianoRollPane->setWidgetResizable(true);
    pianoRollPane->setMinimumHeight(kRollMinimumHeight);
    fitLine = new QLabel(this);
    fitLine->setObjectName(QStringLiteral("fitLine"));
    fitLine->setAccessibleName(QStringLiteral("Will it fit"));
    // The line may be longer than the pane is wide: it is cut rather than widen the window,
    // and its tool tip holds it whole.
    fitLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    rollArea = new QWidget(this);
    rollArea->setObjectName(QStringLiteral("rollArea"));
    auto* rollLayout = new QVBoxLayout(rollArea);
    rollLayout->setContentsMargins(0, 0, 0, 0);
    rollLayout->setSpacing(2);
    rollLayout->addWidget(pianoRollPane, 1);
    rollLayout->addWidget(fitLine);
    melodySplitter = new QSplitter(Qt::Vertical, this);
    melodySplitter->setObjectName(QStringLiteral("melodySplitter"));
    melodySplitter->setChildrenCollapsible(false);
    rollTimer_ = new QTimer(this);
    rollTimer_->setSingleShot(true);
    rollTimer_->setInterval(kRollTypingPauseMs);
    playheadTimer_ = new QTimer(this);
    playheadTimer_->setInterval(kPlayheadIntervalMs);
}

void MainWindow::ConnectPianoRollControls() {
    // File > Export Piano Roll..., before the recent files; View > Piano Roll before Help.
    QMenu* file = menuBar->actions().front()->menu();
    exportRollAction = new QAction(QStringLiteral("&Export Piano Roll..."), this);
    file->insertAction(recentMenu->menuAction(), exportRollAction);
    file->insertSeparator(recentMenu->menuAction());
    auto* view = new QMenu(QStringLiteral("&View"), menuBar);
    menuBar->insertMenu(menuBar->actions().back(), view);
    pianoRollAction = view->addAction(QStringLiteral("&Piano Roll"));
    pianoRollAction->setCheckable(true);

    const auto settings = ProgramSettings();
    pianoRollAction->setChecked(settings->value(kRollVisibleKey, true).toBool());
    pianoRollPane->setVisible(pianoRollAction->isChecked());
    if (!melodySplitter->restoreState(settings->value(kRollSplitterKey).toByteArray())) {
        // At first the roll takes its least height and the melody fields the rest.
        melodySplitter->setSizes({100000, 1});
    }
    pianoRoll->SetZoom(settings->value(kRollZoomKey, 1.0).toDouble());

    connect(pianoRollAction, &QAction::toggled, this, [this](bool visible) {
        pianoRollPane->setVisible(visible);
        ProgramSettings()->setValue(kRollVisibleKey, visible);
    });
    connect(melodySplitter, &QSplitter::splitterMoved, this,
            [this] { ProgramSettings()->setValue(kRollSplitterKey, melodySplitter->saveState()); });
    connect(pianoRoll, &PianoRollView::Zoomed, this,
            [](double zoom) { ProgramSettings()->setValue(kRollZoomKey, zoom); });
    connect(exportRollAction, &QAction::triggered, this, &MainWindow::ExportPianoRoll);

    // Every edit field restarts the pause in typing; the roll follows when it ends.
    const auto restart = [this] { rollTimer_->start(); };
    for (QLineEdit* field : {durationEdit, octaveEdit, tempoEdit, delayEdit, staccatoEdit}) {
        connect(field, &QLineEdit::textChanged, this, restart);
    }
    connect(nameEdit, &QLineEdit::textChanged, this, restart);
    connect(notesEdit, &QPlainTextEdit::textChanged, this, restart);
    for (QCheckBox* box : {playTwiceBox, forceOnePlayBox, noSmallPausesBox}) {
        connect(box, &QCheckBox::toggled, this, restart);
    }
    connect(rollTimer_, &QTimer::timeout, this, &MainWindow::RefreshPianoRoll);
    connect(bankList, &QListWidget::itemSelectionChanged, this, &MainWindow::ShowBankMelodyInRoll);
    connect(bankList, &QListWidget::itemClicked, this, &MainWindow::ShowBankMelodyInRoll);
    connect(hardwareCombo, &QComboBox::currentIndexChanged, this, [this] {
        pianoRoll->SetHardware(ChosenHardware());
        ShowNotesProblems(melody::EncodeMelody(EditFields(), formats::TextFormat::Ascii, std::nullopt));
    });
    connect(notesProblems, &QLabel::linkActivated, this, &MainWindow::SelectFirstNotesProblem);
    pianoRoll->SetHardware(ChosenHardware());

    connect(pianoRoll, &PianoRollView::TokenClicked, this, [this](std::size_t start, std::size_t length) {
        QTextCursor cursor = notesEdit->textCursor();
        cursor.setPosition(static_cast<int>(start));
        cursor.setPosition(static_cast<int>(start + length), QTextCursor::KeepAnchor);
        notesEdit->setTextCursor(cursor);
        notesEdit->setFocus();
    });
    connect(playheadTimer_, &QTimer::timeout, this, [this] {
        const double seconds = static_cast<double>(playClock_.elapsed()) / 1000;
        const double length = static_cast<double>(pianoRoll->Shown().units) / formats::tone::kUnitsPerSecond;
        if (seconds > length) {
            StopPlayhead();
            return;
        }
        pianoRoll->SetPlayhead(seconds);
    });
    RefreshPianoRoll();
}

void MainWindow::RefreshPianoRoll() {
    rollTimer_->stop();
    const melody::MelodyFields fields = EditFields();
    const melody::EncodeResult encoded = melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt);
    rollName_ = FromCoreText(fields.name);
    ShowEncodingInRoll(encoded);
    ShowNotesProblems(encoded);
    ShowFit(fields, encoded);
}

void MainWindow::ShowNotesProblems(const melody::EncodeResult& encoded) {
    const NotesProblems problems = FindNotesProblems(EditFields().notes, encoded, ChosenHardware());
    firstNotesProblem_ = problems.first;
    notesProblems->setText(problems.text.isEmpty()
                               ? QString()
                               : QStringLiteral("<a href=\"#problem\">%1</a>").arg(problems.text.toHtmlEscaped()));
    notesProblems->setToolTip(problems.text.isEmpty() ? QString() : QStringLiteral("Selects the first problem"));
}

void MainWindow::SelectFirstNotesProblem() {
    if (!firstNotesProblem_) {
        return;
    }
    QTextCursor cursor = notesEdit->textCursor();
    cursor.setPosition(static_cast<int>(firstNotesProblem_->start));
    cursor.setPosition(static_cast<int>(firstNotesProblem_->start + firstNotesProblem_->length),
                       QTextCursor::KeepAnchor);
    notesEdit->setTextCursor(cursor);
    notesEdit->setFocus();
}

void MainWindow::ShowEncodingInRoll(const melody::EncodeResult& encoded) {
    rollShowsBank_ = false;
    if (!encoded.record) {
        pianoRoll->SetFailure(FromCoreMessage(encoded.record.error().message));
        return;
    }
    ShowTimeline(*pianoRoll, melody::EncodedTimeline(encoded));
}

void MainWindow::ShowBankMelodyInRoll() {
    const std::optional<formats::Bytes> record = SelectedBankRecord();
    if (!record) {
        // A melody deleted or no longer selected leaves the roll to the edit fields.
        if (rollShowsBank_) {
            RefreshPianoRoll();
        }
        return;
    }
    rollShowsBank_ = true;
    melody::DecodedMelody decoded = melody::DecodeMelody(*record);
    rollName_ = FromCoreText(decoded.fields.name);
    ShowTimeline(*pianoRoll, std::move(decoded.timeline));
}

void MainWindow::StartPlayhead() {
    playClock_.start();
    pianoRoll->SetPlayhead(0.0);
    playheadTimer_->start();
}

void MainWindow::StopPlayhead() {
    playheadTimer_->stop();
    pianoRoll->SetPlayhead(std::nullopt);
}

void MainWindow::ExportPianoRoll() {
    const std::optional<QString> path = exportRollDialog.Choose(prompter_, rollName_);
    if (!path) {
        return;
    }
    const std::string svg =
        interchange::WritePianoRollSvg(pianoRoll->Shown(), rollName_.toStdString(), ChosenHardware());
    if (const formats::Result<void> written = formats::WriteFileAtomic(ToFilePath(*path), formats::ToBytes(svg));
        !written) {
        ShowWriteFailure(written.error());
        return;
    }
    Say(QStringLiteral("Exported the piano roll as %1").arg(QFileInfo(*path).fileName()));
}

}  // namespace belltower::ui
