// SPDX-License-Identifier: GPL-3.0-or-later
// "Will it fit?" under the piano roll: the note count, length, tone data, SMS and Composer
// figures of the edit fields, and with a firmware image the room left in its TONE chunk. It
// follows the fields with the roll, after the pause in typing; the tool tip lists each problem.
#include <QLabel>
#include <QStringList>

#include "bank/firmware_writer.h"
#include "ui/core_text.h"
#include "ui/main_window.h"

namespace belltower::ui {

void MainWindow::ShowFit(const melody::MelodyFields& fields, const melody::EncodeResult& encoded) {
    fit_.reset();
    fitRecord_.clear();
    if (encoded.record) {
        fit_ = interchange::FitEncoded(fields, encoded);
        fitRecord_ = *encoded.record;
    }
    ShowFitLine();
}

void MainWindow::ShowFitLine() {
    if (!fit_) {
        // The roll says why the fields do not encode.
        fitLine->clear();
        fitLine->setToolTip(QString());
        return;
    }
    QString line = FromCoreMessage(interchange::FitSummary(*fit_));
    std::vector<std::string> problems = interchange::FitProblems(*fit_);
    if (bank_.FirmwareLoaded) {
        if (const formats::Result<bank::RecordRoom> room = bank::RoomForRecord(bank_, fitRecord_)) {
            line += QStringLiteral("; firmware: %1 bytes free%2")
                        .arg(room->freeBytes)
                        .arg(room->fits ? QString() : QStringLiteral(", does not fit"));
            problems.insert(problems.end(), room->problems.begin(), room->problems.end());
        }
    }
    QStringList tip{line};
    for (const std::string& problem : problems) {
        tip.append(QStringLiteral("\u2022 ") + FromCoreMessage(problem));
    }
    if (problems.empty()) {
        tip.append(QStringLiteral("Nothing stands in the way."));
    }
    fitLine->setText(line);
    fitLine->setToolTip(tip.join(QLatin1Char('\n')));
}

}  // namespace belltower::ui
