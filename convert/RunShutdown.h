#pragma once

#include "Status.h"

#include <QString>

class PrintJobWatch;
class Spooler;

// The two ends of a program's life that a conversion run must survive: a start after
// a run that ended abruptly, and an end that comes in the middle of a run. Both
// programs, the windows and the command line, call them.

// At start-up: when no run of this user holds the conversion lock, puts back a
// default printer that an abruptly ended run left on "Pellucor". The lock is taken
// for the moment of the check and let go again; a lock held elsewhere means that a
// run is under way, which restores the printer itself, and nothing is done. A
// failure says what the default printer is left as.
Status RecoverAfterAbruptEnd(const QString& workFolder, Spooler& spooler);

// The same check for a caller that holds the conversion lock already.
Status RecoverAfterAbruptEndLocked(const QString& workFolder, Spooler& spooler);

// Ends a run that cannot go on (the program is interrupted, or the session ends):
// every program the run started is ended, the temporary files it made and the work
// files (spool file, job record, pdfmarks, argument file) are removed, its print job
// on "Pellucor" is cancelled and the user's default printer is put back and
// confirmed. May be called from any thread while the run's thread is still busy:
// whatever that thread starts or makes afterwards is ended or removed at once. The
// run's thread must not be waited for (it may be blocked in a program that is gone).
// A failure says why the default printer could not be put back.
Status AbandonRun(const QString& workFolder, Spooler& spooler, PrintJobWatch& jobs);

// Gives the programs a run starts a temporary folder of the run's own: a new private
// folder under $TMPDIR (or /tmp) becomes $TMPDIR of this process and so of every
// program started from now on, and is registered with the run, so that whatever
// they leave there goes when the run is abandoned or ends. Call it before any
// thread starts (it changes the environment). Returns the folder, empty when none
// could be made (the programs then use the usual one).
QString UseRunTemporaryFolder();

// Removes that folder with everything in it, at the normal end of the program.
void RemoveRunTemporaryFolder(const QString& folder);
