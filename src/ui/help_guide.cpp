// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/help_guide.h"

#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "ui/window_style.h"

namespace belltower::ui {
namespace {

// The guide as HTML: what a newcomer needs to type a melody, in the order the fields read.
const char* const kGuide = R"(
<h2>Ringtone text</h2>
<p>A melody is a line of notes separated by blanks or commas, for example</p>
<pre>8e6 8d#6 8e6 8d#6 8e6 8b5 8d6 8c6 4a5</pre>
<p>Each note is written <b>duration, letter, sharp, dot, octave</b>; everything but the letter may be
left out, and then the Duration and Octave fields above the notes decide.</p>
<table border="1" cellpadding="3">
<tr><th>Part</th><th>Meaning</th><th>Example</th></tr>
<tr><td>duration</td><td>1 whole, 2 half, 4 quarter, 8 eighth, 16, 32 ...</td><td><tt>16c</tt></td></tr>
<tr><td>letter</td><td>c d e f g a b (h is b); p or - is a pause</td><td><tt>4p</tt></td></tr>
<tr><td>#</td><td>sharp: one semitone up</td><td><tt>8f#</tt></td></tr>
<tr><td>.</td><td>dotted: half as long again</td><td><tt>4.g</tt></td></tr>
<tr><td>octave</td><td>the phone sounds a4 to b7, so 5, 6 and 7 are safe</td><td><tt>8a5</tt></td></tr>
</table>
<p>A token the language does not know (<tt>zz</tt>, <tt>4q#</tt>) is ignored; the line under the notes
names it.</p>
<h3>Tags</h3>
<table border="1" cellpadding="3">
<tr><td><tt>t200</tt></td><td>tempo: from here on 200 beats per minute</td></tr>
<tr><td><tt>v1</tt></td><td>vibration on from here</td></tr>
<tr><td><tt>v0</tt></td><td>vibration off from here</td></tr>
</table>
<pre>t180 v1 8c6 8e6 v0 4g6 t90 2c7</pre>
<h3>Options</h3>
<ul>
<li><b>Duration</b>, <b>Octave</b>: what a note without its own number gets.</li>
<li><b>BPM</b>: the tempo at the start.</li>
<li><b>FourCC ID</b>: up to four letters or digits; may stay empty.</li>
<li><b>@ Delay</b>: a silence after the melody, in 1/120 s (1 and 15 are usual).</li>
<li><b>Unique Index</b>: the number the phone finds the melody by; no two melodies of a firmware share one.</li>
<li><b>Staccato</b>: notes longer than this many 1/120 s are cut short (0 off, 4 rapid, 6 normal).</li>
<li><b>Suggest playing twice</b>, <b>Force ONE play</b>: how often an alert plays the melody.</li>
<li><b>Disable small pauses</b>: two equal notes in a row blend into one longer note.</li>
</ul>
<h3>Files</h3>
<p>An RTX or ERT file holds one line <tt>name:settings:notes</tt>, for example</p>
<pre>Kylie:d=8,o=6,b=140:4c 8d 8e 2p</pre>
<p>Settings: <tt>d</tt> duration, <tt>o</tt> octave, <tt>b</tt> tempo, <tt>f</tt> ID, <tt>i</tt> index,
<tt>s</tt> staccato, <tt>@</tt> delay, <tt>c=1</tt> force one play.</p>
<h3>Keys</h3>
<p>Ctrl+O opens a melody, Ctrl+S saves the open firmware (or the melody when no firmware is open),
Ctrl+Shift+S saves the firmware under a new name, Ctrl+Z undoes, Esc stops the preview, F1 shows this guide.</p>
)";

}  // namespace

HelpGuide::HelpGuide(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpGuide"));
    setWindowTitle(QStringLiteral("Ringtone Text"));
    setWindowIcon(ProgramIcon());
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd:"), this);
    findEdit = new QLineEdit(this);
    findEdit->setObjectName(QStringLiteral("findEdit"));
    findEdit->setClearButtonEnabled(true);
    findLabel->setBuddy(findEdit);
    guideText = new QTextBrowser(this);
    guideText->setObjectName(QStringLiteral("guideText"));
    guideText->setAccessibleName(QStringLiteral("Ringtone text guide"));
    guideText->setHtml(QString::fromUtf8(kGuide));
    auto* layout = new QVBoxLayout(this);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(findEdit, 1);
    layout->addLayout(findRow);
    layout->addWidget(guideText, 1);
    connect(findEdit, &QLineEdit::returnPressed, this, &HelpGuide::FindNext);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    resize(560, 520);
}

bool HelpGuide::FindNext() {
    const QString wanted = findEdit->text();
    if (wanted.isEmpty()) {
        return false;
    }
    if (guideText->find(wanted)) {
        return true;
    }
    QTextCursor top = guideText->textCursor();
    top.movePosition(QTextCursor::Start);
    guideText->setTextCursor(top);
    return guideText->find(wanted);
}

}  // namespace belltower::ui
