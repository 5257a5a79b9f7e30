// The melody edit area: its fields as core values, opening and saving ringtone text files,
// and the name counter.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>

#include "formats/file_io.h"
#include "melody/rtx_text.h"
#include "ui/core_text.h"
#include "ui/main_window.h"
#include "ui/name_counter.h"
#include "ui/prompter.h"

namespace belltower::ui {
namespace {

// The notes as typed. QPlainTextEdit::toPlainText would turn non-breaking spaces (byte A0)
// into blanks, so the raw text is taken and only its paragraph and line separators become
// line feeds: one character each, so selection positions still match.
QString NotesText(const QPlainTextEdit* notes) {
    QString text = notes->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

// Sets a box only when its value changes, so a box the caller left alone keeps even the
// characters that have no Latin-1 byte.
void SetIfChanged(QLineEdit* box, const std::string& value) {
    if (ToCoreText(box->text()) != value) {
        box->setText(FromCoreText(value));
    }
}

}  // namespace

void Form1::ConnectMelodyControls() {
    connect(Command1, &QPushButton::clicked, this, &Form1::OpenRtx);
    connect(Command15, &QPushButton::clicked, this, &Form1::SaveRtx);
    ConnectNameCounter(Text1, zbyva);
    ConnectNameCounter(Text10, zbyva2);
}

melody::MelodyFields Form1::EditFields() const {
    melody::MelodyFields fields;
    fields.name = ToCoreText(Text1->text());
    fields.duration = ToCoreText(Text2->text());
    fields.octave = ToCoreText(Text3->text());
    fields.tempo = ToCoreText(Text4->text());
    fields.notes = ToCoreText(NotesText(Text5));
    fields.id = ToCoreText(Text6->text());
    fields.delay = ToCoreText(Text7->text());
    fields.index = ToCoreText(Text8->text());
    fields.staccato = ToCoreText(Text9->text());
    fields.playTwice = Check1->isChecked();
    fields.forceOnePlay = Check2->isChecked();
    fields.noSmallPauses = Check3->isChecked();
    return fields;
}

void Form1::SetEditFields(const melody::MelodyFields& fields) {
    SetIfChanged(Text1, fields.name);
    SetIfChanged(Text2, fields.duration);
    SetIfChanged(Text3, fields.octave);
    SetIfChanged(Text4, fields.tempo);
    if (ToCoreText(NotesText(Text5)) != fields.notes) {
        Text5->setPlainText(FromCoreText(fields.notes));
    }
    SetIfChanged(Text6, fields.id);
    SetIfChanged(Text7, fields.delay);
    SetIfChanged(Text8, fields.index);
    SetIfChanged(Text9, fields.staccato);
    Check1->setChecked(fields.playTwice);
    Check2->setChecked(fields.forceOnePlay);
    Check3->setChecked(fields.noSmallPauses);
}

std::optional<melody::NotesSelection> Form1::NotesSelection() const {
    const QTextCursor cursor = Text5->textCursor();
    if (!cursor.hasSelection()) {
        return std::nullopt;
    }
    return melody::NotesSelection{static_cast<std::size_t>(cursor.selectionStart()),
                                  static_cast<std::size_t>(cursor.selectionEnd() - cursor.selectionStart())};
}

void Form1::OpenRtx() {
    const std::optional<QString> path = CD1.Choose(prompter_);
    if (path) {
        ReadRtxFile(*path);
    }
}

void Form1::ReadRtxFile(const QString& path) {
    const formats::Result<formats::Bytes> file = formats::ReadFileBytes(ToFilePath(path));
    const std::string text = file ? formats::ToText(*file) : std::string();
    melody::MelodyFields fields = EditFields();
    melody::ReadRtxText(text, fields);
    SetEditFields(fields);
}

void Form1::SaveRtx() {
    const std::optional<QString> path = CD5.Choose(prompter_, Text1->text());
    if (!path) {
        return;
    }
    const std::string line = melody::WriteRtxText(EditFields());
    const formats::Result<void> saved = formats::WriteFileAtomic(ToFilePath(*path), formats::ToBytes(line));
    if (!saved) {
        prompter_.ShowMessage(
            {FromCoreMessage(saved.error().message), QString(), MessageIcon::None, MessageButtons::Ok});
    }
}

}  // namespace belltower::ui
