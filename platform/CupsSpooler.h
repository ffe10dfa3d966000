#pragma once

#include "Spooler.h"

// The default destination of the CUPS client library, read and written the way
// `lpoptions -d` does: in ~/.cups/lpoptions for a user, /etc/cups/lpoptions for root.
class CupsSpooler final : public Spooler
{
public:
    Result<SavedPrinter> defaultPrinter() override;
    Status setDefaultPrinter(const SavedPrinter& name) override;
    // The service must answer, the queue must exist, accept jobs and not be paused.
    Status checkPrinter(const QString& name) override;
};
