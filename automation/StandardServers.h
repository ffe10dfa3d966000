#pragma once

#include "LibreOffice.h"

class AutomationRegistry;
class Office;
class Spooler;

// The options of the office of a run: options with the settings that every server
// needs in the office's profile.
LibreOfficeOptions StandardOfficeOptions(LibreOfficeOptions options = {});

// Registers the program's office servers over the office of the run:
// "Excel.Application", "Word.Application" and "PowerPoint.Application". office and
// spooler must outlive the registry's use.
void RegisterStandardServers(AutomationRegistry& registry, Office& office, Spooler& spooler);
