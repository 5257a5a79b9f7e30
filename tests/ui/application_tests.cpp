// SPDX-License-Identifier: GPL-3.0-or-later
// The program's last line of defence: a dword codec error inside a handler is reported and
// ends the program at once with its own exit code. And the command line's --help and
// --version, which print and end without opening a window.
#include <QProcess>
#include <QTest>

#include "ui/application.h"

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void internalErrorEndsTheProgram() {
        QProcess probe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));  // a desktop's locale
        probe.setProcessEnvironment(environment);
        probe.start(QStringLiteral(BELLTOWER_INTERNAL_ERROR_PROBE),
                    {QStringLiteral("-platform"), QStringLiteral("offscreen")});
        QVERIFY(probe.waitForFinished(30000));
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), belltower::ui::kExitInternalError);
        const QString errors = QString::fromLocal8Bit(probe.readAllStandardError());
        QVERIFY2(errors.contains(QStringLiteral("pronikl řetězec jiné délky než 4B!")), qPrintable(errors));
        QVERIFY2(!errors.contains(QStringLiteral("a later handler ran")), qPrintable(errors));
        QVERIFY2(errors.contains(QStringLiteral("numbers: C\n")), qPrintable(errors));  // a decimal point
    }

    void helpAndVersionPrintAndEnd() {
        const std::pair<const char*, const char*> cases[] = {
            {"--version", "Belltower 1.1"}, {"--version", "License GPL-3.0-or-later"}, {"--help", "[file]"}};
        for (const auto& [option, printed] : cases) {
            QProcess program;
            program.start(QStringLiteral(BELLTOWER_PROGRAM),
                          {QLatin1String(option), QStringLiteral("-platform"), QStringLiteral("offscreen")});
            QVERIFY(program.waitForFinished(30000));
            QCOMPARE(program.exitCode(), 0);
            const QString output = QString::fromLocal8Bit(program.readAllStandardOutput());
            QVERIFY2(output.contains(QLatin1String(printed)), qPrintable(output));
        }
    }
};

QTEST_MAIN(ApplicationTest)
#include "application_tests.moc"
