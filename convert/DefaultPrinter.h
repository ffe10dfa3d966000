#pragma once

#include "Spooler.h"
#include "Status.h"

#include <QString>

#include <optional>

class Prompter;

// The user's default printer while a document is printed: saved, switched to
// "Pellucor", put back and read back. The saved default is noted in the work folder
// before the switch, so that a run that ends abruptly leaves it to be put back at the
// next start (FinishUnconfirmedRestore).

// The saved default of the record in workFolder; nullopt when there is none.
std::optional<SavedPrinter> RecordedDefaultPrinter(const QString& workFolder);

// At the start of a program, holding the conversion lock (so that no run of this
// user is under way), and when a run is abandoned: a record left in workFolder means
// that the default printer was switched to "Pellucor" and never confirmed back. It
// is set back and confirmed, and the record removed. Fails, keeping the record for
// the next try, when the default cannot be confirmed.
Status FinishUnconfirmedRestore(Spooler& spooler, const QString& workFolder);

// The claim of one file on the default printer. claim() saves the user's default
// and makes "Pellucor" the default, so that the document prints there and not on the
// user's own printer; a record left by an earlier restore that did not succeed holds
// the user's default, and that is the default saved. A failure is shown, leaves the
// default as it was, and its message names sourcePath. keep() is the claim of a
// converter that prints to "Pellucor" by name: the default stays, and is only
// confirmed at the end.
//
// restore() puts the saved default back and reads it back: only a default that reads
// as saved counts as restored, and only then is the record removed. A failure is
// shown, since it changes the user's whole session, and returned. It acts once;
// later calls return the first result. A claim that is destroyed unrestored restores
// then, so that no path of a converter can leave the user's printer switched.
class DefaultPrinterClaim
{
public:
    static Result<DefaultPrinterClaim> claim(Spooler& spooler, Prompter& prompter,
                                             const QString& sourcePath, const QString& workFolder);
    static DefaultPrinterClaim keep(Spooler& spooler, Prompter& prompter, SavedPrinter saved,
                                    const QString& workFolder);

    DefaultPrinterClaim(DefaultPrinterClaim&& other) noexcept;
    DefaultPrinterClaim& operator=(DefaultPrinterClaim&&) = delete;
    DefaultPrinterClaim(const DefaultPrinterClaim&) = delete;
    DefaultPrinterClaim& operator=(const DefaultPrinterClaim&) = delete;
    ~DefaultPrinterClaim();

    Status restore();
    const SavedPrinter& saved() const { return m_saved; }

private:
    DefaultPrinterClaim(Spooler& spooler, Prompter& prompter, SavedPrinter saved,
                        QString workFolder);

    Spooler* m_spooler;
    Prompter* m_prompter;
    SavedPrinter m_saved;
    QString m_workFolder;
    bool m_pending = true;
    Status m_restored;
};

// The two steps of a claim as plain calls, for the claim and for tests.
Status RestoreDefaultPrinter(Spooler& spooler, Prompter& prompter, const SavedPrinter& saved,
                             const QString& workFolder);
Result<SavedPrinter> ClaimPostScriptPrinter(Spooler& spooler, Prompter& prompter,
                                            const QString& sourcePath, const QString& workFolder);
