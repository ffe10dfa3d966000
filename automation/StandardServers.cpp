#include "StandardServers.h"

#include "ExcelApplication.h"
#include "PowerPointApplication.h"
#include "WordApplication.h"

void RegisterStandardServers(AutomationRegistry& registry, ProcessRunner& processes, Spooler& spooler)
{
    RegisterExcelApplication(registry, processes, spooler);
    RegisterWordApplication(registry, processes, spooler);
    RegisterPowerPointApplication(registry, processes, spooler);
}
