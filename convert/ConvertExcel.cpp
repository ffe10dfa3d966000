#include "ConvertExcel.h"

#include "AutomationRegistry.h"
#include "ExcelApplication.h"
#include "OutputNaming.h"
#include "PrintContract.h"
#include "Prompter.h"
#include "ServerObjects.h"
#include "Spooler.h"

#include <QDir>
#include <QFile>

namespace {

// The's fixed wait after PrintOut: four times 500 ms.
constexpr int PrintWaits = 4;

QList<Variant> printOutArguments(const QString& workFolder)
{
    return {Variant::missing(),                                    // From
            Variant::missing(),                                    // To: all pages
            Variant::fromI4(1),                                    // Copies
            Variant::fromI2(0),                                    // Preview: none
            Variant::missing(),                                    // ActivePrinter: the default
            Variant::missing(),                                    // PrintToFile: an ordinary job
            Variant::missing(),                                    // Collate
            Variant::fromString(PostScriptSpoolFile(workFolder))}; // PrToFileName
}

// Every way out once the server runs: quit, then release the
// references in the order they were taken back.
struct ServerReferences
{
    std::shared_ptr<Dispatch> application;
    std::shared_ptr<Dispatch> workbooks;
    std::shared_ptr<Dispatch> workbook;

    void quitAndRelease()
    {
        if (application)
            application->Invoke(ExcelMember::Quit, DispatchKind::Method, {});
        workbook.reset();
        workbooks.reset();
        application.reset();
    }
};

} // namespace

ConverterResult ConvertExcel(const ConversionTarget& target, const QString& sourcePath,
                             ConverterServices& services)
{
    CupsPrintJobWatch jobs;
    return ConvertExcel(target, sourcePath, services, jobs);
}

ConverterResult ConvertExcel(const ConversionTarget& target, const QString& sourcePath,
                             ConverterServices& services, PrintJobWatch& jobs)
{
    ConverterResult result;
    result.outputPath = OutputPath(QDir(target.destinationFolder).absolutePath(), sourcePath);
    Prompter& prompter = services.prompter;

    if (!services.automation.CoInitialize().ok())
        prompter.showMessage(QStringLiteral("Failed to call Coinitialize()"));

    ServerReferences server;
    Result<std::shared_ptr<Dispatch>> created = services.automation.createObject(ExcelProgId);
    if (!created.ok()) {
        prompter.showMessage(QStringLiteral("无法启动Excel服务器!"));
        result.failure = QStringLiteral("the spreadsheet server could not be started: %1")
                             .arg(created.status().message());
        return result;
    }
    server.application = std::move(created).value();

    server.application->Invoke(ExcelMember::Visible, DispatchKind::PropertyPut,
                               {Variant::fromBool(false)});

    // Without the saved default it could not be put back, and without "Pellucor" as
    // the default the workbook would come out of the user's own printer.
    const Result<SavedPrinter> saved =
        ClaimPostScriptPrinter(services.spooler, prompter, sourcePath, services.workFolder);
    if (!saved.ok()) {
        result.failure = saved.status().message();
        server.quitAndRelease();
        return result;
    }

    QString why;
    server.workbooks = ObjectFrom(
        server.application->Invoke(ExcelMember::Workbooks, DispatchKind::PropertyGet, {}), why,
        QStringLiteral("the spreadsheet server"));
    if (!server.workbooks) {
        result.failure =
            QStringLiteral(
                "The spreadsheet server gave no list of workbooks, so %1 was not converted: %2")
                .arg(sourcePath, why);
        prompter.showMessage(result.failure);
        server.quitAndRelease();
        RestoreDefaultPrinter(services.spooler, services.prompter, saved.value(),
                              services.workFolder);
        return result;
    }

    bool printed = false;
    const Status ready = PrepareSpoolFile(services.workFolder, prompter, sourcePath);
    if (!ready.ok()) {
        result.failure = ready.message();
    } else {
        server.workbook =
            ObjectFrom(server.workbooks->Invoke(ExcelMember::Add, DispatchKind::Method,
                                                {Variant::fromString(sourcePath)}),
                       result.failure, QStringLiteral("the spreadsheet server"));
        if (server.workbook) {
            const std::optional<PrintJobState> baseline = jobs.newestJob(PostScriptPrinterName);
            const Result<Variant> printOut =
                server.workbook->Invoke(ExcelMember::PrintOut, DispatchKind::Method,
                                        printOutArguments(services.workFolder));
            if (!printOut.ok()) {
                result.failure = printOut.status().message();
            } else {
                const Status finished = AwaitPrintedJob(services, PrintWaits, baseline, jobs);
                printed = finished.ok();
                if (!printed)
                    result.failure = finished.message();
            }
        }
    }

    result = FinishConversion(printed, result, target, sourcePath, saved.value(), services);

    server.quitAndRelease();
    return result;
}
