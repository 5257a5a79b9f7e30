#include "fake_prompter.h"

#include <QTest>

namespace belltower::ui::testing {
namespace {

// The next scripted answer; without one the test fails and the prompt is cancelled.
template <typename Answer>
Answer Next(std::deque<Answer>& answers, Answer cancel, const QString& what) {
    if (answers.empty()) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted prompt: ") + what), __FILE__, __LINE__);
        return cancel;
    }
    Answer answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

}  // namespace

FakePrompter::~FakePrompter() {
    if (!fileAnswers_.empty() || !messageAnswers_.empty() || !formatAnswers_.empty()) {
        QTest::qFail("scripted prompts were never asked", __FILE__, __LINE__);
    }
}

std::optional<QString> FakePrompter::ChooseFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    return Next<std::optional<QString>>(fileAnswers_, std::nullopt, QStringLiteral("file dialog ") + request.title);
}

MessageAnswer FakePrompter::ShowMessage(const MessageRequest& message) {
    messages.push_back(message);
    return Next(messageAnswers_, MessageAnswer::Cancel, QStringLiteral("message ") + message.text);
}

std::optional<formats::TextFormat> FakePrompter::ChooseTextFormat(formats::TextFormat suggested) {
    formatSuggestions.push_back(suggested);
    return Next<std::optional<formats::TextFormat>>(formatAnswers_, std::nullopt, QStringLiteral("Save in Format"));
}

void FakePrompter::ShowAbout() {
    QTest::qFail("unscripted prompt: About window", __FILE__, __LINE__);
}

}  // namespace belltower::ui::testing
