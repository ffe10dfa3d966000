#pragma once

#include "LibreOffice.h"
#include "Office.h"

#include <memory>
#include <optional>

#include <sys/types.h>

// The office of a conversion run: one headless LibreOffice, started by us the first
// time a run needs it and driven over its own API through a private pipe.
//
// The office runs on a private profile under the user's cache folder, so that a
// LibreOffice the user has open is never disturbed and never takes our requests; a
// lock beside the profile keeps a second conversion from starting another office on
// it, and an office left on the profile by a crash is ended before the start. The
// profile carries the settings of the options and those a warm start needs.
//
// An office that has ended (a crash, a kill) is started again by the next load; the
// documents it held are lost, and printing one of them fails. An office that does
// not know the printer it is asked for would print on a generic device instead and
// no job would arrive: print then restarts the office once (a new office reads the
// printers again) and fails with the reason when the printer is still unknown.
//
// The office also ends when the thread that started it ends, so that it never
// outlives the run. Calls come from one thread at a time.
class UnoOffice final : public Office
{
public:
    explicit UnoOffice(LibreOfficeOptions options = {});
    ~UnoOffice() override;
    UnoOffice(const UnoOffice&) = delete;
    UnoOffice& operator=(const UnoOffice&) = delete;

    Status checkInstalled(const QString& package) override;
    Result<OfficeDocument> load(const QString& path, const QString& filter) override;
    Status print(OfficeDocument document, const QString& printer) override;
    void close(OfficeDocument document) override;

    // Ends the office of the run: closes every document, asks the office to end,
    // kills it when it does not, reaps it and lets the profile go. The owner of a run
    // calls it when the run is over (the destructor does too); a later load starts a
    // new office.
    void end();

    // The office process while one runs.
    std::optional<pid_t> processId() const;
    const QString& profileFolder() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
