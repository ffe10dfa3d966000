#pragma once

#include "Prompter.h"

#include <QList>
#include <QString>

// The one message box of the program. The caption is "Tabloria" unless given; with
// MessageIcon::Standard an OK box shows the exclamation icon and a Yes/No box the
// question icon. Callable from any thread: the box is shown on the user-interface
// thread and a caller on another thread waits until it is answered.
MessageAnswer ShowMessageBox(const QString& text, MessageButtons buttons = MessageButtons::Ok,
                             MessageIcon icon = MessageIcon::Standard, const QString& caption = {});

// What a box showed, as tests read it back.
struct ShownMessage
{
    QString text;
    QString caption;
    MessageButtons buttons;
    MessageIcon icon; // the icon actually shown: Exclamation, Question, Stop or None
};

// Test hooks. Once answers are given in advance no box is ever put on the screen:
// each box takes the next answer, or Ok (OK boxes) and No (questions) when none is left.
namespace MessageBoxes {
void AnswerInAdvance(const QList<MessageAnswer>& answers);
QList<ShownMessage> Shown();
// Back to real boxes; forgets the answers and what was shown.
void Reset();
} // namespace MessageBoxes
