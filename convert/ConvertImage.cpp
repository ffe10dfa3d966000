#include "ConvertImage.h"

#include "OutputNaming.h"
#include "PicturePrinter.h"
#include "PrintContract.h"
#include "Prompter.h"

#include <QDir>

namespace {

// The fixed wait after the print job: four times 500 ms.
constexpr int PrintWaits = 4;

// The printer's own words for a job it could not make; shown as plain boxes.
QString printerRefusal(PicturePrinter::Outcome outcome)
{
    switch (outcome) {
    case PicturePrinter::Outcome::NoPrinter:
        return QStringLiteral("Buy a printer!");
    case PicturePrinter::Outcome::DocumentRefused:
        return QStringLiteral("Printer wouldn't initalize");
    case PicturePrinter::Outcome::PageRefused:
        return QStringLiteral("Could not start page");
    case PicturePrinter::Outcome::Printed:
    case PicturePrinter::Outcome::NotDecoded:
        break;
    }
    return {};
}

} // namespace

ConverterResult ConvertImage(const ConversionTarget& target, const QString& sourcePath,
                             ConverterServices& services, PicturePrinter& printer,
                             PrintJobWatch& jobs)
{
    ConverterResult result;
    result.outputPath = OutputPath(QDir(target.destinationFolder).absolutePath(), sourcePath);
    Prompter& prompter = services.prompter;

    const Result<SavedPrinter> saved =
        ClaimPostScriptPrinter(services.spooler, prompter, sourcePath, services.workFolder);
    if (!saved.ok()) {
        result.failure = saved.status().message();
        return result;
    }
    if (const Status ready = PrepareSpoolFile(services.workFolder, prompter, sourcePath);
        !ready.ok()) {
        result.failure = ready.message();
        RestoreDefaultPrinter(services.spooler, prompter, saved.value(), services.workFolder);
        return result;
    }

    const std::optional<PrintJobState> baseline = jobs.newestJob(PostScriptPrinterName);
    const PicturePrinter::Result printed = printer.printPicture(sourcePath, sourcePath);
    if (printed.outcome == PicturePrinter::Outcome::NotDecoded) {
        result.failure =
            QStringLiteral("%1 is not a picture that can be read%2; nothing was printed.")
                .arg(sourcePath, printed.detail.isEmpty()
                                     ? QString()
                                     : QStringLiteral(" (%1)").arg(printed.detail));
        prompter.showMessage(result.failure);
        RestoreDefaultPrinter(services.spooler, prompter, saved.value(), services.workFolder);
        return result;
    }
    if (printed.outcome != PicturePrinter::Outcome::Printed) {
        const QString refusal = printerRefusal(printed.outcome);
        prompter.showMessage(refusal, MessageButtons::Ok, MessageIcon::None);
        result.failure = refusal;
        RestoreDefaultPrinter(services.spooler, prompter, saved.value(), services.workFolder);
        return result;
    }

    const Status finished = AwaitPrintedJob(services, PrintWaits, baseline, jobs);
    if (!finished.ok())
        result.failure = finished.message();
    return FinishConversion(finished.ok(), result, target, sourcePath, saved.value(), services);
}
