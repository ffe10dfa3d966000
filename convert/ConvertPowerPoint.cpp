#include "ConvertPowerPoint.h"

#include "AutomationRegistry.h"
#include "OutputNaming.h"
#include "PowerPointApplication.h"
#include "PrintContract.h"
#include "Prompter.h"
#include "ServerObjects.h"
#include "Spooler.h"

#include <QDir>

namespace {

// The fixed wait after PrintOut: six times 500 ms.
constexpr int PrintWaits = 6;
constexpr qint32 True = -1;

} // namespace

ConverterResult ConvertPowerPoint(const ConversionTarget& target, const QString& sourcePath,
                                  ConverterServices& services)
{
    CupsPrintJobWatch jobs;
    return ConvertPowerPoint(target, sourcePath, services, jobs);
}

ConverterResult ConvertPowerPoint(const ConversionTarget& target, const QString& sourcePath,
                                  ConverterServices& services, PrintJobWatch& jobs)
{
    ConverterResult result;
    result.outputPath = OutputPath(QDir(target.destinationFolder).absolutePath(), sourcePath);
    Prompter& prompter = services.prompter;

    if (!services.automation.CoInitialize().ok())
        prompter.showMessage(QStringLiteral("Failed to call Coinitialize()"));

    Result<std::shared_ptr<Dispatch>> created = services.automation.createObject(PowerPointProgId);
    if (!created.ok()) {
        prompter.showMessage(QStringLiteral("创建PowerPoint服务失败!"));
        result.failure = QStringLiteral("the presentation server could not be started: %1")
                             .arg(created.status().message());
        return result;
    }
    std::shared_ptr<Dispatch> application = std::move(created).value();
    std::shared_ptr<Dispatch> presentations;
    std::shared_ptr<Dispatch> presentation;

    // Quit, then release the references in this order: application,
    // presentations, presentation.
    const auto quitAndRelease = [&]() {
        application->Invoke(PowerPointMember::Quit, DispatchKind::Method, {});
        application.reset();
        presentations.reset();
        presentation.reset();
    };
    // A failure of the server: shown, and the end of this file.
    const auto fail = [&](const QString& text) {
        result.failure = text;
        prompter.showMessage(text);
    };

    application->Invoke(PowerPointMember::Visible, DispatchKind::PropertyPut, {Variant::fromI4(1)});

    const Result<SavedPrinter> saved =
        ClaimPostScriptPrinter(services.spooler, prompter, sourcePath, services.workFolder);
    if (!saved.ok()) {
        result.failure = saved.status().message();
        quitAndRelease();
        return result;
    }

    bool printed = false;
    QString why;
    if (presentations = ObjectFrom(
            application->Invoke(PowerPointMember::Presentations, DispatchKind::PropertyGet, {}),
            why, QStringLiteral("the presentation server"));
        !presentations) {
        fail(QStringLiteral("The presentation server gave no list of presentations, so %1 was not "
                            "converted: %2")
                 .arg(sourcePath, why));
    } else if (const Status ready = PrepareSpoolFile(services.workFolder, prompter, sourcePath);
               !ready.ok()) {
        result.failure = ready.message();
    } else if (const Result<Variant> opened =
                   presentations->Invoke(PowerPointMember::Open, DispatchKind::Method,
                                         {Variant::fromString(sourcePath), Variant::fromI4(True),
                                          Variant::fromI4(True), Variant::fromI4(True)});
               !opened.ok()) {
        fail(QStringLiteral("The presentation server could not open %1: %2")
                 .arg(sourcePath, opened.status().message()));
    } else if (presentation = ObjectFrom(application->Invoke(PowerPointMember::ActivePresentation,
                                                             DispatchKind::PropertyGet, {}),
                                         why, QStringLiteral("the presentation server"));
               !presentation) {
        fail(QStringLiteral("The presentation server gave no open presentation for %1: %2")
                 .arg(sourcePath, why));
    } else {
        const std::optional<PrintJobState> baseline = jobs.newestJob(PostScriptPrinterName);
        const Result<Variant> printOut =
            presentation->Invoke(PowerPointMember::PrintOut, DispatchKind::Method,
                                 {Variant::fromI4(-1), Variant::fromI4(-1),
                                  Variant::fromString(PostScriptSpoolFile(services.workFolder)),
                                  Variant::fromI4(1), Variant::fromI4(True)});
        if (!printOut.ok()) {
            fail(QStringLiteral("The presentation server could not print %1: %2")
                     .arg(sourcePath, printOut.status().message()));
        } else {
            const Status finished = AwaitPrintedJob(services, PrintWaits, baseline, jobs);
            printed = finished.ok();
            if (!printed)
                result.failure = finished.message();
        }
    }

    result = FinishConversion(printed, result, target, sourcePath, saved.value(), services);

    quitAndRelease();
    return result;
}
