#pragma once

class AutomationRegistry;
class ProcessRunner;
class Spooler;

// Registers the program's office servers over LibreOffice: "Excel.Application",
// "Word.Application" and "PowerPoint.Application". processes and spooler must
// outlive the registry's use.
void RegisterStandardServers(AutomationRegistry& registry, ProcessRunner& processes, Spooler& spooler);
