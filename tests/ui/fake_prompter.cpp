#include "fake_prompter.h"

#include <QTest>

namespace belltower::ui::testing {
namespace {

void FailUnscripted(const QString& what) {
    QTest::qFail(qPrintable(QStringLiteral("unscripted prompt: ") + what), __FILE__, __LINE__);
}

}  // namespace

FakePrompter::~FakePrompter() {
    if (!fileAnswers_.empty() || !messageAnswers_.empty() || !formatAnswers_.empty() || aboutShown < aboutAllowed_) {
        QTest::qFail("scripted prompts were never asked", __FILE__, __LINE__);
    }
}

std::optional<QString> FakePrompter::ChooseFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (fileAnswers_.empty()) {
        FailUnscripted(QStringLiteral("file dialog \"%1\"").arg(request.title));
        return std::nullopt;
    }
    std::optional<QString> answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    return answer;
}

MessageAnswer FakePrompter::ShowMessage(const MessageRequest& message) {
    messages.push_back(message);
    if (messageAnswers_.empty()) {
        FailUnscripted(QStringLiteral("message \"%1\"").arg(message.text));
        return MessageAnswer::Cancel;
    }
    const MessageAnswer answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
}

std::optional<formats::TextFormat> FakePrompter::ChooseTextFormat(formats::TextFormat suggested) {
    formatSuggestions.push_back(suggested);
    if (formatAnswers_.empty()) {
        FailUnscripted(QStringLiteral("Save in Format"));
        return std::nullopt;
    }
    const std::optional<formats::TextFormat> answer = formatAnswers_.front();
    formatAnswers_.pop_front();
    return answer;
}

void FakePrompter::ShowAbout() {
    ++aboutShown;
    if (aboutShown > aboutAllowed_) {
        FailUnscripted(QStringLiteral("About window"));
    }
}

}  // namespace belltower::ui::testing
