#pragma once

#include "Status.h"

#include <QString>

// A document the office holds for us, named by a number of the office's choosing.
using OfficeDocument = quint64;

// The office that the office servers drive: one for a whole conversion run, whatever
// servers are created and released during it. Tests give a fake.
class Office
{
public:
    virtual ~Office() = default;

    // Fails, naming package as the one to install, when the office program is not
    // there. Starts nothing.
    virtual Status checkInstalled(const QString& package) = 0;

    // Loads the file at path hidden and read-only through the import filter filter
    // (nothing is guessed from its name), starting the office when none runs. Fails
    // with the reason when the file does not load.
    virtual Result<OfficeDocument> load(const QString& path, const QString& filter) = 0;

    // Prints the whole document as one job on printer, and returns once the job has
    // been handed to the spooler. Fails when the office does not take the printer.
    virtual Status print(OfficeDocument document, const QString& printer) = 0;

    // Closes the document without saving it. A document the office no longer holds
    // is ignored.
    virtual void close(OfficeDocument document) = 0;
};
