// SPDX-License-Identifier: GPL-3.0-or-later
// The Prompter of the running program: Qt's file dialogs and message boxes, and the
// program's own modal windows. The only place that opens a modal dialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/prompter.h"

namespace belltower::ui {

class QtPrompter final : public Prompter {
public:
    // Dialogs are centred on and block this window; none before it is set.
    void SetParentWindow(QWidget* window) { parent_ = window; }

    std::optional<FileChoice> ChooseFile(const FileDialogRequest& request) override;
    MessageAnswer ShowMessage(const MessageRequest& message) override;
    std::optional<formats::TextFormat> ChooseTextFormat(formats::TextFormat suggested) override;
    std::optional<MidiTrackChoice> ChooseMidiTrack(const MidiTrackRequest& request) override;
    void ShowAbout() override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace belltower::ui
