#pragma once

#include "ConversionSettings.h"
#include "Status.h"

#include <QString>
#include <QStringList>

#include <functional>

// What tabloria-convert was asked to do.
struct CommandLineOptions
{
    QStringList files;      // as given
    QString outputFolder;   // as given; the current folder when not given
    ConversionSettings settings;
    bool overwrite = false;
    bool quiet = false;
};

struct ParsedCommandLine
{
    enum class Action { Convert, ShowHelp, ShowVersion, UsageError };

    Action action = Action::UsageError;
    CommandLineOptions options;
    QString text; // the help text, or what is wrong with the command line
};

// Reads a password: the first line of the file at path (without its line end), or of
// standard input for "-", where a terminal shows prompt and does not echo the typing.
using PasswordReader = std::function<Result<QString>(const QString& path, const QString& prompt)>;
Result<QString> ReadPasswordFile(const QString& path, const QString& prompt);

// Reads the arguments (without the program name). Every option value is checked
// here, so that a run never starts on settings the windows could not have made. The
// password files are read with readPassword.
ParsedCommandLine ParseCommandLine(const QStringList& arguments,
                                   const PasswordReader& readPassword = ReadPasswordFile);
