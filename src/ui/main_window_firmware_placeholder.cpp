// Stand-in until firmware images can be read: the melody bank's file (main_window_bank.cpp)
// defines LoadFirmware, and this file leaves the build.
#include "ui/main_window.h"
#include "ui/prompter.h"

namespace belltower::ui {

void Form1::LoadFirmware(const QString& /*path*/) {
    prompter_.ShowMessage({QStringLiteral("Firmware images cannot be opened yet."), QString(), MessageIcon::Exclamation,
                           MessageButtons::Ok});
}

}  // namespace belltower::ui
