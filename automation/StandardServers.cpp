#include "StandardServers.h"

#include "ExcelApplication.h"
#include "PowerPointApplication.h"
#include "WordApplication.h"

LibreOfficeOptions StandardOfficeOptions(LibreOfficeOptions options)
{
    return ExcelLibreOfficeOptions(std::move(options));
}

void RegisterStandardServers(AutomationRegistry& registry, Office& office, Spooler& spooler)
{
    RegisterExcelApplication(registry, office, spooler);
    RegisterWordApplication(registry, office, spooler);
    RegisterPowerPointApplication(registry, office, spooler);
}
