// SPDX-License-Identifier: GPL-3.0-or-later
// A program that runs into the dword codec's internal error inside an event handler, as a
// broken command of the window would. Run by application_tests.
#include <QTimer>

#include <clocale>
#include <cstdio>

#include "formats/dword.h"
#include "ui/application.h"

int main(int argc, char** argv) {
    belltower::ui::BelltowerApplication app(argc, argv);
    std::fprintf(stderr, "numbers: %s\n", std::setlocale(LC_NUMERIC, nullptr));
    QTimer::singleShot(0, [] { (void)belltower::formats::DwordToNumber(belltower::formats::Bytes{0x41, 0xE9}); });
    QTimer::singleShot(0, [] { std::fputs("a later handler ran\n", stderr); });
    return QApplication::exec();
}
