// SPDX-License-Identifier: GPL-3.0-or-later
// What the widget tests share: controls found by the names users know them by (Text1,
// Command11 ...), a scripted Prompter, a recording Player, scratch files and a window fixture.
#pragma once

#include <QtTest>
#include <QtWidgets>

#include <deque>
#include <functional>
#include <memory>

#include "melody/tone_encoder.h"
#include "support/image_builder.h"
#include "support/scratch_dir.h"
#include "ui/main_window.h"
#include "ui/prompter.h"

namespace belltower::ui::testing {

// The control of this kind named name inside window; a missing one ends the run.
template <typename Control = QWidget>
Control* Find(const QObject& window, const char* name) {
    auto* control = window.findChild<Control*>(QLatin1String(name));
    if (control == nullptr) {
        qFatal("no control named %s", name);
    }
    return control;
}

// A synthetic melody record of a few tones, ID "ID".
inline formats::Bytes Record(formats::TextFormat format, std::uint32_t index, const char* name,
                             std::uint8_t purpose = 0) {
    const formats::Bytes tones = {0x00, 0x02, 0xFC, 0x09, 0x0A, 0x01, 0x7F, 0x10, 0x0A, 0x0A, 0x07, 0x0B};
    return belltower::testing::MakeRecord(format, index, "ID", name, tones, purpose);
}

inline QByteArray AsQBytes(const formats::Bytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// A firmware image holding these records, then tail behind the TONE chunk.
inline QByteArray Image(std::vector<formats::Bytes> records, formats::Bytes tail = {}) {
    belltower::testing::ImageLayout layout;
    layout.records = std::move(records);
    layout.tail = std::move(tail);
    return AsQBytes(belltower::testing::BuildImage(layout).image);
}

// The record Save as RE writes of these notes, named name.
inline formats::Bytes Encoded(const char* notes, formats::TextFormat format, const char* name = "") {
    melody::MelodyFields fields;
    fields.name = name;
    fields.notes = notes;
    return *melody::EncodeReRecord(fields, format).record;
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline QString WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        QTest::qFail(qPrintable(QStringLiteral("cannot write ") + path), __FILE__, __LINE__);
    }
    return path;
}

// Drops the files on target; true when the drag and the drop were accepted as a copy.
inline bool Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

// Runs action on the dialog once exec() has shown it; a guard closes it after a few seconds.
inline void WhenModal(std::function<void(QWidget* dialog)> action) {
    QTimer::singleShot(0, [action = std::move(action)] { action(QApplication::activeModalWidget()); });
    QTimer::singleShot(5000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            stuck->close();
        }
    });
}

// The program's settings (recent files, dialog folders) in a folder of the test's.
inline void UseScratchSettings(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

// Answers come from queues the test fills; every request is recorded. A prompt without an
// answer, or an answer never asked for, fails the test; the prompt is then cancelled.
class FakePrompter final : public Prompter {
public:
    ~FakePrompter() override {
        if (!files_.empty() || !answers_.empty() || !formats_.empty() || !tracks_.empty()) {
            QTest::qFail("scripted prompts were never asked", __FILE__, __LINE__);
        }
    }
    // A path, chosen with the filter at this position of "Files of type" (the first is preselected).
    void AnswerFile(std::optional<QString> path, qsizetype filter = 0) {
        files_.push_back(path ? std::optional(FileChoice{*path, filter}) : std::nullopt);
    }
    void AnswerMessage(MessageAnswer answer) { answers_.push_back(answer); }
    void AnswerTextFormat(std::optional<formats::TextFormat> format) { formats_.push_back(format); }
    void AnswerMidiTrack(std::optional<MidiTrackChoice> choice) { tracks_.push_back(choice); }

    std::optional<FileChoice> ChooseFile(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        return Next(files_, std::optional<FileChoice>(), request.title);
    }
    MessageAnswer ShowMessage(const MessageRequest& message) override {
        messages.push_back(message);
        return Next(answers_, MessageAnswer::Cancel, message.text);
    }
    std::optional<formats::TextFormat> ChooseTextFormat(formats::TextFormat suggested) override {
        formatSuggestions.push_back(suggested);
        return Next(formats_, std::optional<formats::TextFormat>(), QStringLiteral("Save in Format"));
    }
    std::optional<MidiTrackChoice> ChooseMidiTrack(const MidiTrackRequest& request) override {
        trackRequests.push_back(request);
        return Next(tracks_, std::optional<MidiTrackChoice>(), QStringLiteral("MIDI track"));
    }
    void ShowAbout() override { QTest::qFail("unscripted prompt: About window", __FILE__, __LINE__); }

    std::vector<FileDialogRequest> fileRequests;
    std::vector<MessageRequest> messages;
    std::vector<formats::TextFormat> formatSuggestions;
    std::vector<MidiTrackRequest> trackRequests;

private:
    template <typename Answer>
    static Answer Next(std::deque<Answer>& answers, Answer cancel, const QString& what) {
        if (answers.empty()) {
            QTest::qFail(qPrintable(QStringLiteral("unscripted prompt: ") + what), __FILE__, __LINE__);
            return cancel;
        }
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<FileChoice>> files_;
    std::deque<MessageAnswer> answers_;
    std::deque<std::optional<formats::TextFormat>> formats_;
    std::deque<std::optional<MidiTrackChoice>> tracks_;
};

// Records every call and keeps a copy of each file played (the next preview overwrites it).
class FakePlayer final : public preview::Player {
public:
    void Play(const std::filesystem::path& wav) override {
        calls.emplace_back("Play");
        playedBytes.push_back(ReadAll(QString::fromStdString(wav.string())));
    }
    void Stop() override { calls.emplace_back("Stop"); }
    void Fail(const std::string& description) { ReportError(description); }

    std::vector<std::string> calls;  // "Play" and "Stop" in order
    std::vector<QByteArray> playedBytes;
};

class WindowFixture {
protected:
    // A new, empty folder with the program's settings, a new window.
    void Start() {
        folder_ = std::make_unique<belltower::testing::ScratchDir>("ui");
        UseScratchSettings(File("settings"));
        Fresh();
    }
    void Fresh() {
        window_.reset();
        prompter_ = std::make_unique<FakePrompter>();
        window_ = std::make_unique<MainWindow>(*prompter_);
    }
    // From the test's cleanup, so that unused scripted answers fail that test.
    void Release() {
        window_.reset();
        prompter_.reset();
    }
    QString File(const char* name) const { return QString::fromStdString((*folder_ / name).string()); }
    QString Folder() const { return QString::fromStdString(folder_->path().string()); }
    // Answers the next file dialog with file (none: cancelled), then presses command.
    void Choose(const char* command, std::optional<QString> file, qsizetype filter = 0) {
        prompter_->AnswerFile(std::move(file), filter);
        Press(command);
    }
    void Load(const QString& path) { Choose("Command3", path); }
    // Loads a new image of these records, written to the file name.
    void Load(const char* name, std::vector<formats::Bytes> records, formats::Bytes tail = {}) {
        Load(WriteAll(File(name), Image(std::move(records), std::move(tail))));
    }
    // Shows a bank of these records and list lines, as a load would.
    void ShowBank(std::vector<formats::Bytes> records, std::vector<std::string> lines) {
        bank::ToneBank tones;
        tones.Records = std::move(records);
        tones.Lines = std::move(lines);
        window_->SetBank(tones);
    }
    // Presses the button of this name, or triggers the menu command of this text.
    void Press(const char* name) {
        if (auto* button = window_->findChild<QAbstractButton*>(QLatin1String(name))) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
        for (QAction* action : window_->findChildren<QAction*>()) {
            if (action->text() == QLatin1String(name)) {
                return action->trigger();
            }
        }
        QTest::qFail(name, __FILE__, __LINE__);
    }
    // Clicks, or double-clicks, a line of the firmware list.
    void Click(int row, bool twice = false) {
        auto* list = Find<QListWidget>(*window_, "List2");
        list->scrollToItem(list->item(row));
        const QPoint centre = list->visualItemRect(list->item(row)).center();
        twice ? QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre)
              : QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    }
    void Set(const char* name, const QString& text) {
        QWidget* control = Find(*window_, name);
        control->setProperty(qobject_cast<QPlainTextEdit*>(control) ? "plainText" : "text", text);
    }
    // Fills several boxes: {{"Text1", "New"}, {"Text5", "c d"}}.
    void Fill(std::initializer_list<std::pair<const char*, const char*>> boxes) {
        for (const auto& [name, text] : boxes) {
            Set(name, QString::fromUtf8(text));
        }
    }
    // What a control shows: a box's text, a caption, the current item, a list's lines joined by "|".
    QString Shown(const char* name) const {
        QWidget* control = Find(*window_, name);
        QStringList lines;
        if (auto* list = qobject_cast<QListWidget*>(control)) {
            for (int row = 0; row < list->count(); ++row) {
                lines << list->item(row)->text();
            }
        }
        for (const char* property : {"text", "plainText", "currentText"}) {
            if (const QVariant value = control->property(property); value.isValid()) {
                return value.toString();
            }
        }
        return lines.join(QLatin1Char('|'));
    }
    QStringList Shown(std::initializer_list<const char*> names) const {
        QStringList shown;
        for (const char* name : names) {
            shown << Shown(name);
        }
        return shown;
    }
    // What the details of the selected melody show: name, ID, index, purpose, play mode, Apply.
    QStringList Details() const { return Shown({"Text10", "Text11", "Text12", "Text13", "Label13", "Command11"}); }
    bool Enabled(const char* name) const { return Find(*window_, name)->isEnabled(); }
    QString Status() const { return window_->statusBar->currentMessage(); }

    std::unique_ptr<belltower::testing::ScratchDir> folder_;
    std::unique_ptr<FakePrompter> prompter_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace belltower::ui::testing
