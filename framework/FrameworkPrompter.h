#pragma once

#include "Prompter.h"

// The engine's prompter in the windowed program: every question becomes the
// framework's message box, shown on the user-interface thread; a worker that asks
// waits for the answer.
class FrameworkPrompter final : public Prompter
{
public:
    MessageAnswer showMessage(const QString& text, MessageButtons buttons = MessageButtons::Ok,
                              MessageIcon icon = MessageIcon::Standard) override;
};
