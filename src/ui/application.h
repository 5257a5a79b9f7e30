// SPDX-License-Identifier: GPL-3.0-or-later
// The program's QApplication. A handler that runs into a programming error (a dword codec
// handed other than four bytes) must not go on with half-changed state: the error is shown
// and the program ends at once.
#pragma once

#include <QApplication>

#include "formats/dword.h"
#include "ui/prompter.h"

namespace belltower::ui {

// Exit codes of the desktop program besides 0.
inline constexpr int kExitInternalError = 3;
inline constexpr int kExitUnexpectedError = 1;

// The box for the dword codec's internal error: its fixed text, and the offending bytes
// (one character per byte) as the title.
MessageRequest InternalErrorMessage(const formats::DwordLengthError& error);

// The box for any other exception that reaches the top of a handler.
MessageRequest UnexpectedErrorMessage(const char* what);

class BelltowerApplication : public QApplication {
public:
    BelltowerApplication(int& argc, char** argv);

    // Where the final box is shown; without one the error goes to standard error only.
    void SetPrompter(Prompter* prompter) { prompter_ = prompter; }

    // Shows the box and ends the process with the given code. Does not return.
    [[noreturn]] void EndWithError(const MessageRequest& message, int exitCode);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Prompter* prompter_ = nullptr;
};

}  // namespace belltower::ui
