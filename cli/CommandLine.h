#pragma once

#include "ConversionSettings.h"

#include <QString>
#include <QStringList>

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

// Reads the arguments (without the program name). Every option value is checked
// here, so that a run never starts on settings the windows could not have made.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);
