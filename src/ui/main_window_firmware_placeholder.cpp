// Firmware images are not read by this build yet; the melody bank's own file replaces this one.
#include "ui/main_window.h"
#include "ui/prompter.h"

namespace belltower::ui {

void Form1::LoadFirmware(const QString& /*path*/) {
    prompter_.ShowMessage({QStringLiteral("Firmware images cannot be opened yet."), QString(), MessageIcon::Exclamation,
                           MessageButtons::Ok});
}

} // namespace belltower::ui
