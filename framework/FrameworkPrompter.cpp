#include "FrameworkPrompter.h"

#include "MessageBoxes.h"

MessageAnswer FrameworkPrompter::showMessage(const QString& text, MessageButtons buttons,
                                             MessageIcon icon)
{
    return ShowMessageBox(text, buttons, icon);
}
