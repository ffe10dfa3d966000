#pragma once

#include <QString>

enum class MessageButtons
{
    Ok,
    YesNo
};

// Standard: the exclamation icon for an OK box, the question icon for Yes/No.
// None: a plain box without an icon.
enum class MessageIcon
{
    Standard,
    Exclamation,
    Question,
    Stop,
    None
};

enum class MessageAnswer
{
    Ok,
    Yes,
    No
};

// The engine's way of telling the user something or asking a question. The windows
// show a message box on the user-interface thread (a call from the worker blocks
// until it is answered); the command line prints or asks on the terminal; tests
// answer in advance.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer showMessage(const QString& text,
                                      MessageButtons buttons = MessageButtons::Ok,
                                      MessageIcon icon = MessageIcon::Standard) = 0;
};
