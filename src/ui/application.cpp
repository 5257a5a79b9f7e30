// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/application.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace belltower::ui {

MessageRequest InternalErrorMessage(const formats::DwordLengthError& error) {
    const formats::Bytes& bytes = error.offending();
    return {QString::fromUtf8(formats::kDwordInternalErrorText),
            QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
            MessageIcon::Critical, MessageButtons::Ok};
}

MessageRequest UnexpectedErrorMessage(const char* what) {
    return {QStringLiteral("Belltower stopped after an unexpected error: %1").arg(QString::fromUtf8(what)), QString(),
            MessageIcon::Critical, MessageButtons::Ok};
}

BelltowerApplication::BelltowerApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Qt hands the desktop's locale to the C library as well. Ringtone text, the numbers the
    // decoder writes and the piano roll's SVG take a decimal point whatever the desktop's
    // language, so numbers stay in the C locale (a German desktop would write "12,5").
    std::setlocale(LC_NUMERIC, "C");
    setApplicationName(QStringLiteral("Belltower"));
    setApplicationVersion(QStringLiteral("1.1"));
}

void BelltowerApplication::EndWithError(const MessageRequest& message, int exitCode) {
    std::fprintf(stderr, "%s %s\n", message.title.toLocal8Bit().constData(), message.text.toLocal8Bit().constData());
    if (prompter_ != nullptr) {
        prompter_->ShowMessage(message);
    }
    // The handler that failed is still on the stack with its work half done; nothing of it
    // may run on, so the process ends here without unwinding through Qt.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

bool BelltowerApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const formats::DwordLengthError& error) {
        EndWithError(InternalErrorMessage(error), kExitInternalError);
    } catch (const std::exception& error) {
        EndWithError(UnexpectedErrorMessage(error.what()), kExitUnexpectedError);
    } catch (...) {
        EndWithError(UnexpectedErrorMessage("unknown exception"), kExitUnexpectedError);
    }
}

}  // namespace belltower::ui
