#pragma once

#include "Status.h"

#include <QString>

#include <optional>

// The user's default printer, saved before a document is printed to "Pellucor" and
// restored afterwards. nullopt stands for "no default printer", which is saved and
// restored as such.
using SavedPrinter = std::optional<QString>;

class Spooler
{
public:
    virtual ~Spooler() = default;
    virtual Result<SavedPrinter> defaultPrinter() = 0;
    virtual Status setDefaultPrinter(const SavedPrinter& name) = 0;
    // Whether the print service runs and the printer takes and prints jobs now. A
    // failure says what is wrong and how to put it right.
    virtual Status checkPrinter(const QString& name)
    {
        (void)name;
        return {};
    }
};
