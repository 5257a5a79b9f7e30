// SPDX-License-Identifier: GPL-3.0-or-later
// Belltower, the desktop program. One optional argument: a melody or firmware file to open;
// --help and --version print and end.
#include <QCommandLineParser>
#include <QScreen>
#include <QSize>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "belltower_version.h"
#include "formats/dword.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/qt_prompter.h"

namespace {

int RunProgram(int& argc, char** argv) {
    belltower::ui::BelltowerApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Ringtones for Nokia DCT3 phones: RTX melodies, RE files and the melodies of firmware images."));
    parser.addHelpOption();
    // Qt's own --version prints only the version; ours names the licence too.
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version and licence information."));
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A melody (up to 64000 bytes) or a firmware image to open."),
                                 QStringLiteral("[file]"));
    parser.process(app);  // --help and unknown options print and end here
    if (parser.isSet(version)) {
        std::printf("Belltower %s\n%s\n", belltower::kVersion, belltower::kLicenceNotice);
        return EXIT_SUCCESS;
    }
    belltower::ui::QtPrompter prompter;
    app.SetPrompter(&prompter);
    try {
        belltower::ui::MainWindow window(prompter);
        prompter.SetParentWindow(&window);
        // Roomy where the screen allows; on a small screen the window fits it, title bar and all.
        const QSize screen = window.screen()->availableSize() - QSize(0, 40);
        window.resize(QSize(1040, 640).boundedTo(screen).expandedTo(window.minimumSizeHint()));
        window.show();
        const QStringList files = parser.positionalArguments();
        if (const std::optional<QString> problem = window.OpenStartupFile(files.value(0))) {
            // The window still opens, empty; the reason goes where a terminal user sees it.
            std::fprintf(stderr, "belltower: cannot open %s: %s\n", files.value(0).toLocal8Bit().constData(),
                         problem->toLocal8Bit().constData());
        }
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
