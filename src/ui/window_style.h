// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's windows share: the font and the program's icon.
#pragma once

#include <QFont>
#include <QIcon>

namespace belltower::ui {

// Arial where it is installed, else its metric twin Liberation Sans, else the system's
// sans-serif font.
QFont WindowFont(int pointSize = 9);

// The program's icon: a bell with a note, drawn at 16 to 256 pixels (and as SVG).
QIcon ProgramIcon();

}  // namespace belltower::ui
