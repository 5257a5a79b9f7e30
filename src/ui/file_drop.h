// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file by dropping it onto the main window.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

namespace belltower::ui {

// The file a drag carries: the path of its first URL when that names a local file; nothing
// for other drags (text, web addresses).
std::optional<QString> DraggedLocalFile(const QMimeData* data);

// Makes the window, and every control in it that takes drops, accept drags of local files.
// A drop calls open with the file's path once the drop has ended, so that a message box
// opened by open does not keep the program the file came from waiting. Other drags, such as
// text dragged into an edit box, are left to the controls.
void AcceptFileDrops(QWidget* window, std::function<void(const QString&)> open);

}  // namespace belltower::ui
