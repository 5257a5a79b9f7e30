// A scripted Prompter for widget tests: answers come from queues the test fills, every
// request is recorded. A prompt without a scripted answer fails the running test and
// answers "cancel", so no test can wait for a dialog.
#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "ui/prompter.h"

namespace belltower::ui::testing {

class FakePrompter final : public Prompter {
public:
    FakePrompter() = default;
    // Fails the running test when scripted answers are left unused.
    ~FakePrompter() override;

    // Scripting, one answer per expected prompt, used in order.
    void AnswerFile(std::optional<QString> path) { fileAnswers_.push_back(std::move(path)); }
    void AnswerMessage(MessageAnswer answer) { messageAnswers_.push_back(answer); }
    void AnswerTextFormat(std::optional<formats::TextFormat> format) { formatAnswers_.push_back(format); }

    std::optional<QString> ChooseFile(const FileDialogRequest& request) override;
    MessageAnswer ShowMessage(const MessageRequest& message) override;
    std::optional<formats::TextFormat> ChooseTextFormat(formats::TextFormat suggested) override;
    void ShowAbout() override;  // fails the test: the About window is tested for real

    // What was asked.
    std::vector<FileDialogRequest> fileRequests;
    std::vector<MessageRequest> messages;
    std::vector<formats::TextFormat> formatSuggestions;

private:
    std::deque<std::optional<QString>> fileAnswers_;
    std::deque<MessageAnswer> messageAnswers_;
    std::deque<std::optional<formats::TextFormat>> formatAnswers_;
};

}  // namespace belltower::ui::testing
