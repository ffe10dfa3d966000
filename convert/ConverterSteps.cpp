#include "ConverterSteps.h"

#include "PrintContract.h"
#include "Prompter.h"
#include "UserAccount.h"

using namespace std::chrono_literals;

Status PrepareSpoolFile(const QString& workFolder, Prompter& prompter, const QString& sourcePath)
{
    Status ready = PrepareWorkFolder(workFolder);
    if (ready.ok()) {
        if (const Status cleared = ClearSpoolFile(workFolder); !cleared.ok())
            ready = Status::failure(
                QStringLiteral("The previous print could not be removed, so %1 was not printed: %2")
                    .arg(sourcePath, cleared.message()));
    }
    if (!ready.ok())
        prompter.showMessage(ready.message());
    return ready;
}

Status AwaitPrintedJob(ConverterServices& services, int fixedWaits,
                       const std::optional<PrintJobState>& baseline, PrintJobWatch& jobs)
{
    for (int i = 0; i < fixedWaits; ++i)
        services.pacing.wait(500ms);
    return WaitForPrintedJob(services.workFolder, CurrentUserName(), baseline, jobs);
}

ConverterResult FinishConversion(bool printed, ConverterResult notPrinted,
                                 const ConversionTarget& target, const QString& sourcePath,
                                 DefaultPrinterClaim& printer, ConverterServices& services)
{
    if (!printed) {
        RemoveWorkFiles(services.workFolder);
        if (const Status restored = printer.restore(); !restored.ok())
            notPrinted.failure += QStringLiteral("; ") + restored.message();
        return notPrinted;
    }
    PdfStepServices step = services.pdfStep();
    return ConvertPostScriptToPdf(sourcePath, target.destinationFolder, target.settings, printer,
                                  step);
}
