// Belltower, the desktop program. One optional argument: a melody or firmware file to open.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "formats/dword.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/qt_prompter.h"

namespace {

int RunProgram(int& argc, char** argv) {
    belltower::ui::BelltowerApplication app(argc, argv);
    belltower::ui::QtPrompter prompter;
    app.SetPrompter(&prompter);
    try {
        belltower::ui::MainWindow window(prompter);
        prompter.SetParentWindow(&window);
        window.resize(1040, 640);
        window.show();
        const QStringList arguments = QApplication::arguments();
        window.OpenStartupFile(arguments.size() > 1 ? arguments.at(1) : QString());
        return QApplication::exec();
    } catch (const belltower::formats::DwordLengthError& error) {
        prompter.SetParentWindow(nullptr);
        app.EndWithError(belltower::ui::InternalErrorMessage(error), belltower::ui::kExitInternalError);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return RunProgram(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "belltower: unexpected error: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "belltower: unexpected error\n");
    }
    return EXIT_FAILURE;
}
