#pragma once

#include <QString>

// The program's start: one copy per user, the main window run modally, and the end of
// the program when it closes. Nothing is read or kept between runs.
class CZembrinApp
{
public:
    // Returns the process's exit code. A second copy of the program ends at once
    // with 0, shows nothing and leaves the running copy alone.
    int InitInstance();

    // The lock file that marks a running copy, in the user's work folder.
    static QString InstanceLockFile(const QString& workFolder);
};
