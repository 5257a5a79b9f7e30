// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/midi_track_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "melody/tone_encoder.h"
#include "ui/core_text.h"
#include "ui/piano_roll_view.h"
#include "ui/window_style.h"

namespace belltower::ui {
namespace {

// The automatic shift, then whole octaves: what moves a song's tune into a phone's range.
constexpr int kAutomatic = 1000;
constexpr int kOctaveChoices[] = {kAutomatic, 36, 24, 12, 0, -12, -24, -36};
constexpr int kRollHeight = 170;

QString TranspositionText(int semitones) {
    if (semitones == kAutomatic) {
        return QStringLiteral("Automatic");
    }
    if (semitones == 0) {
        return QStringLiteral("None");
    }
    const int octaves = std::abs(semitones) / 12;
    return QStringLiteral("%1 %2 octave%3")
        .arg(semitones > 0 ? QStringLiteral("Up") : QStringLiteral("Down"))
        .arg(octaves)
        .arg(octaves == 1 ? QString() : QStringLiteral("s"));
}

QStringList RowTexts(const interchange::MidiTrackSummary& track) {
    QStringList channels;
    for (const int channel : track.channels) {
        channels.append(QString::number(channel));
    }
    const QString range = track.notes > 0 ? QStringLiteral("%1 to %2")
                                                .arg(FromCoreText(interchange::MidiNoteName(track.low)),
                                                     FromCoreText(interchange::MidiNoteName(track.high)))
                                          : QString();
    return {QString::number(track.number),       FromCoreText(track.name),
            FromCoreText(track.instrument),      channels.join(QStringLiteral(", ")),
            QString::number(track.notes),        range,
            QString::number(track.maxPolyphony), track.drums ? QStringLiteral("drums") : QString()};
}

}  // namespace

MidiTrackDialog::MidiTrackDialog(const MidiTrackRequest& request, QWidget* parent)
    : QDialog(parent), request_(request) {
    setObjectName(QStringLiteral("midiTrackDialog"));
    setWindowTitle(QStringLiteral("Choose a Track of %1").arg(request.fileName));
    setModal(true);
    setFont(WindowFont());

    trackTable = new QTableWidget(this);
    trackTable->setObjectName(QStringLiteral("trackTable"));
    transposeCombo = new QComboBox(this);
    transposeCombo->setObjectName(QStringLiteral("transposeCombo"));
    for (const int semitones : kOctaveChoices) {
        transposeCombo->addItem(TranspositionText(semitones), semitones);
    }
    auto* transposeLabel = new QLabel(QStringLiteral("&Transpose:"), this);
    transposeLabel->setBuddy(transposeCombo);
    transpositionLabel = new QLabel(this);
    transpositionLabel->setObjectName(QStringLiteral("transpositionLabel"));
    transpositionLabel->setWordWrap(true);
    trackRoll = new PianoRollView;
    trackRoll->setObjectName(QStringLiteral("trackRoll"));
    trackRoll->SetHardware(request.hardware);
    trackRollPane = new QScrollArea(this);
    trackRollPane->setObjectName(QStringLiteral("trackRollPane"));
    trackRollPane->setWidget(trackRoll);
    trackRollPane->setWidgetResizable(true);
    trackRollPane->setMinimumHeight(kRollHeight);
    fitLabel = new QLabel(this);
    fitLabel->setObjectName(QStringLiteral("trackFit"));
    fitLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));

    auto* transpose = new QHBoxLayout;
    transpose->addWidget(transposeLabel);
    transpose->addWidget(transposeCombo);
    transpose->addWidget(transpositionLabel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(trackTable, 1);
    layout->addLayout(transpose);
    layout->addWidget(trackRollPane);
    layout->addWidget(fitLabel);
    layout->addWidget(buttons);

    FillTable();
    connect(trackTable, &QTableWidget::itemSelectionChanged, this, &MidiTrackDialog::ShowPreview);
    connect(transposeCombo, &QComboBox::currentIndexChanged, this, &MidiTrackDialog::ShowPreview);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowPreview();
    resize(720, 560);
}

void MidiTrackDialog::FillTable() {
    const QStringList headers = {QStringLiteral("Track"),    QStringLiteral("Name"),  QStringLiteral("Instrument"),
                                 QStringLiteral("Channels"), QStringLiteral("Notes"), QStringLiteral("Range"),
                                 QStringLiteral("At once"),  QStringLiteral("Drums")};
    trackTable->setColumnCount(static_cast<int>(headers.size()));
    trackTable->setHorizontalHeaderLabels(headers);
    trackTable->setRowCount(static_cast<int>(request_.tracks.tracks.size()));
    trackTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    trackTable->setSelectionMode(QAbstractItemView::SingleSelection);
    trackTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    trackTable->verticalHeader()->hide();
    trackTable->horizontalHeader()->setStretchLastSection(false);
    for (int row = 0; row < trackTable->rowCount(); ++row) {
        const interchange::MidiTrackSummary& track = request_.tracks.tracks[static_cast<std::size_t>(row)];
        const QStringList texts = RowTexts(track);
        for (int column = 0; column < texts.size(); ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            // A track without notes has nothing to read.
            if (track.notes == 0) {
                item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
            }
            trackTable->setItem(row, column, item);
        }
        if (track.number == request_.tracks.defaultTrack) {
            trackTable->selectRow(row);
        }
    }
    trackTable->resizeColumnsToContents();
    trackTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);  // the name
}

MidiTrackChoice MidiTrackDialog::Choice() const {
    MidiTrackChoice choice;
    const QList<QTableWidgetItem*> selected = trackTable->selectedItems();
    if (!selected.isEmpty()) {
        choice.track = request_.tracks.tracks[static_cast<std::size_t>(selected.front()->row())].number;
    }
    if (const int semitones = transposeCombo->currentData().toInt(); semitones != kAutomatic) {
        choice.transpose = semitones;
    }
    return choice;
}

void MidiTrackDialog::ShowPreview() {
    const MidiTrackChoice choice = Choice();
    buttons->button(QDialogButtonBox::Ok)->setEnabled(choice.track > 0);
    preview_.reset();
    fitLabel->clear();
    transpositionLabel->clear();
    if (choice.track == 0) {
        return;
    }
    interchange::MidiReadOptions options;
    options.track = choice.track;
    options.transpose = choice.transpose;
    options.hardware = request_.hardware;
    formats::Result<interchange::MelodyImport> read = interchange::ReadMidi(request_.file, options);
    if (!read) {
        trackRoll->SetFailure(FromCoreMessage(read.error().message));
        return;
    }
    // The read names the automatic shift among its warnings.
    const auto moved = std::find_if(read->warnings.begin(), read->warnings.end(), [](const std::string& warning) {
        return warning.starts_with("The notes are moved");
    });
    const int semitones = choice.transpose.value_or(0);
    if (moved != read->warnings.end()) {
        transpositionLabel->setText(FromCoreMessage(*moved));
    } else if (semitones != 0) {
        transpositionLabel->setText(QStringLiteral("The notes are transposed by %1 semitones.").arg(semitones));
    } else {
        transpositionLabel->setText(QStringLiteral("The notes keep the file's pitches."));
    }
    const melody::EncodeResult encoded = melody::EncodeMelody(read->fields, formats::TextFormat::Ascii, std::nullopt);
    if (!encoded.record) {
        trackRoll->SetFailure(FromCoreMessage(encoded.record.error().message));
        return;
    }
    trackRoll->SetTimeline(melody::EncodedTimeline(encoded));
    const QString figures = FromCoreMessage(interchange::FitSummary(interchange::FitEncoded(read->fields, encoded)));
    fitLabel->setText(figures);
    fitLabel->setToolTip(figures);
    preview_ = std::move(*read);
}

}  // namespace belltower::ui
