#include "ConvertPowerPoint.h"

#include "AutomationRegistry.h"
#include "OutputNaming.h"
#include "PowerPointApplication.h"
#include "PrintContract.h"
#include "Prompter.h"
#include "Spooler.h"

#include <QDir>

namespace {

using namespace std::chrono_literals;

// The fixed wait after PrintOut: six times 500 ms.
constexpr int PrintWaits = 6;
constexpr auto PrintWaitStep = 500ms;
constexpr qint32 True = -1;

std::shared_ptr<Dispatch> objectFrom(Result<Variant> result, QString& failure)
{
    if (!result.ok()) {
        failure = result.status().message();
        return nullptr;
    }
    std::shared_ptr<Dispatch> object = result.value().toDispatch();
    if (!object)
        failure = QStringLiteral("the presentation server gave %1 where an object was expected")
                      .arg(result.value().describe());
    return object;
}

void restorePrinter(ConverterServices& services, const SavedPrinter& saved)
{
    const Status restored = services.spooler.setDefaultPrinter(saved);
    if (!restored.ok())
        services.prompter.showMessage(
            QStringLiteral("The default printer could not be set back to \"%1\": %2")
                .arg(saved.value_or(QStringLiteral("none")), restored.message()));
}

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

    // Without the saved default it could not be put back, and without "Pellucor" as
    // the default the slides would come out of the user's own printer.
    const Result<SavedPrinter> saved = services.spooler.defaultPrinter();
    if (!saved.ok()) {
        fail(QStringLiteral("The default printer could not be read, so %1 was not printed: %2")
                 .arg(sourcePath, saved.status().message()));
        quitAndRelease();
        return result;
    }

    bool printed = false;
    QString why;
    if (const Status selected = services.spooler.setDefaultPrinter(PostScriptPrinterName);
        !selected.ok()) {
        fail(QStringLiteral("The printer \"%1\" could not be made the default printer, so %2 was "
                            "not printed: %3")
                 .arg(PostScriptPrinterName, sourcePath, selected.message()));
    } else if (presentations = objectFrom(application->Invoke(PowerPointMember::Presentations,
                                                              DispatchKind::PropertyGet, {}),
                                          why);
               !presentations) {
        fail(QStringLiteral("The presentation server gave no list of presentations, so %1 was not "
                            "converted: %2")
                 .arg(sourcePath, why));
    } else if (Status ready = PrepareWorkFolder(services.workFolder); !ready.ok()) {
        fail(ready.message());
    } else if (const Status cleared = ClearSpoolFile(services.workFolder); !cleared.ok()) {
        // The previous document's PostScript must not become this file's PDF.
        fail(QStringLiteral("The previous print could not be removed, so %1 was not printed: %2")
                 .arg(sourcePath, cleared.message()));
    } else if (const Result<Variant> opened =
                   presentations->Invoke(PowerPointMember::Open, DispatchKind::Method,
                                         {Variant::fromString(sourcePath), Variant::fromI4(True),
                                          Variant::fromI4(True), Variant::fromI4(True)});
               !opened.ok()) {
        fail(QStringLiteral("The presentation server could not open %1: %2")
                 .arg(sourcePath, opened.status().message()));
    } else if (presentation = objectFrom(application->Invoke(PowerPointMember::ActivePresentation,
                                                             DispatchKind::PropertyGet, {}),
                                         why);
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
            for (int i = 0; i < PrintWaits; ++i)
                services.pacing.wait(PrintWaitStep);
            // The fixed wait says nothing about the job: wait for its record too.
            const Status finished =
                WaitForPrintedJob(services.workFolder, CurrentUserName(), baseline, jobs);
            printed = finished.ok();
            if (!printed)
                result.failure = finished.message();
        }
    }

    if (printed) {
        PdfStepServices step = services.pdfStep();
        result = ConvertPostScriptToPdf(sourcePath, target.destinationFolder, target.settings,
                                        saved.value(), step);
    } else {
        restorePrinter(services, saved.value());
    }

    quitAndRelease();
    return result;
}
