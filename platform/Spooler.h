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
};
