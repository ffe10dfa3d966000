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

    // SIGTERM, SIGHUP or SIGINT (the session ends, the terminal goes): between runs
    // the main window closes as by its close button; during a run the run is
    // abandoned (its programs ended, its files removed, the default printer put
    // back) and the program ends with 128 + the signal. Runs on the signal thread.
    static void SessionEnds(int signal);
};
