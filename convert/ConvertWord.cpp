#include "ConvertWord.h"

#include "AutomationRegistry.h"
#include "OutputNaming.h"
#include "PrintContract.h"
#include "Prompter.h"
#include "ServerObjects.h"
#include "Spooler.h"
#include "WordApplication.h"

#include <QDir>

namespace {

using namespace std::chrono_literals;

constexpr auto BackgroundPoll = 1000ms;

// The values every optional argument refers to, built once per conversion. The
// server reads them through references, so they live as long as the call.
struct WordArguments
{
    explicit WordArguments(const QString& sourcePath, const QString& spoolFile, qint32 format)
        : outputFile(Variant::fromString(spoolFile)), fileName(Variant::fromString(sourcePath)),
          openFormat(Variant::fromI4(format))
    {
    }

    Variant no = Variant::fromI2(0);
    Variant yes = Variant::fromI2(-1);
    Variant zero = Variant::fromI4(0);
    Variant one = Variant::fromI4(1);
    Variant omitted = Variant::missing();
    Variant outputFile;
    Variant fileName;
    Variant openFormat;

    QList<Variant> open()
    {
        return {Variant::byRef(fileName),   // FileName
                Variant::byRef(no),         // ConfirmConversions
                Variant::byRef(yes),        // ReadOnly
                Variant::byRef(no),         // AddToRecentFiles
                Variant::byRef(omitted),    // PasswordDocument
                Variant::byRef(omitted),    // PasswordTemplate
                Variant::byRef(no),         // Revert
                Variant::byRef(omitted),    // WritePasswordDocument
                Variant::byRef(omitted),    // WritePasswordTemplate
                Variant::byRef(openFormat), // Format
                Variant::byRef(omitted),    // Encoding
                Variant::byRef(yes)};       // Visible
    }

    QList<Variant> printOut()
    {
        return {Variant::byRef(no),         // Background: off
                Variant::byRef(omitted),    // Append
                Variant::byRef(zero),       // Range: the whole document
                Variant::byRef(outputFile), // OutputFileName
                Variant::byRef(omitted),    // From
                Variant::byRef(omitted),    // To
                Variant::byRef(zero),       // Item: the document's content
                Variant::byRef(one),        // Copies
                Variant::byRef(omitted),    // Pages
                Variant::byRef(zero),       // PageType: all pages
                Variant::byRef(yes),        // PrintToFile
                Variant::byRef(yes),        // Collate
                Variant::byRef(omitted),    // ActivePrinterMacGX
                Variant::byRef(no),         // ManualDuplexPrint
                Variant::byRef(zero),       // PrintZoomColumn
                Variant::byRef(zero),       // PrintZoomRow
                Variant::byRef(zero),       // PrintZoomPaperWidth
                Variant::byRef(zero)};      // PrintZoomPaperHeight
    }

    QList<Variant> quit() { return {Variant::byRef(no), Variant::byRef(no), Variant::byRef(no)}; }
};

QString seconds(std::chrono::milliseconds duration)
{
    return QString::number(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
}

} // namespace

std::optional<qint32> WordOpenFormatFor(const QString& sourcePath)
{
    static const std::pair<const char*, qint32> table[] = {
        {"doc", 0},  {"docx", 0}, {"dot", 0}, {"htm", 7}, {"tml", 7},
        {"html", 7}, {"xml", 8},  {"txt", 4}, {"rtf", 3},
    };
    const QString extension = SourceExtension(sourcePath);
    for (const auto& [name, format] : table)
        if (extension == QLatin1String(name))
            return format;
    return std::nullopt;
}

ConverterResult ConvertWord(const ConversionTarget& target, const QString& sourcePath,
                            ConverterServices& services)
{
    CupsPrintJobWatch jobs;
    return ConvertWord(target, sourcePath, services, jobs);
}

ConverterResult ConvertWord(const ConversionTarget& target, const QString& sourcePath,
                            ConverterServices& services, PrintJobWatch& jobs)
{
    ConverterResult result;
    result.outputPath = OutputPath(QDir(target.destinationFolder).absolutePath(), sourcePath);
    Prompter& prompter = services.prompter;

    const Status initialised = services.automation.CoInitialize();

    const std::optional<qint32> format = WordOpenFormatFor(sourcePath);
    if (!format) {
        prompter.showMessage(
            QStringLiteral("Not Suppot File %1,Convert next file?").arg(sourcePath));
        result.failure = QStringLiteral("the word processor does not take files of this kind");
        return result;
    }

    if (!initialised.ok())
        prompter.showMessage(QStringLiteral("Failed to call Coinitialize()"));

    Result<std::shared_ptr<Dispatch>> created = services.automation.createObject(WordProgId);
    if (!created.ok()) {
        prompter.showMessage(QStringLiteral("Couldn't get Word object."));
        result.failure = QStringLiteral("the word processor could not be started: %1")
                             .arg(created.status().message());
        return result;
    }
    std::shared_ptr<Dispatch> application = std::move(created).value();
    std::shared_ptr<Dispatch> documents;
    std::shared_ptr<Dispatch> document;
    WordArguments arguments(sourcePath, PostScriptSpoolFile(services.workFolder), *format);

    // Quit with its three arguments, then release the references in this
    // order: application, documents, document.
    const auto quitAndRelease = [&]() {
        application->Invoke(WordMember::Quit, DispatchKind::Method, arguments.quit());
        application.reset();
        documents.reset();
        document.reset();
    };
    // A failure of the server: shown, and the end of this file.
    const auto fail = [&](const QString& text) {
        result.failure = text;
        prompter.showMessage(text);
    };

    application->Invoke(WordMember::Visible, DispatchKind::PropertyPut, {Variant::fromBool(false)});

    if (const Status ready = services.spooler.checkPrinter(PostScriptPrinterName); !ready.ok()) {
        fail(QStringLiteral("%1 (%2 was not printed)").arg(ready.message(), sourcePath));
        quitAndRelease();
        return result;
    }
    const Result<SavedPrinter> saved = services.spooler.defaultPrinter();
    if (!saved.ok()) {
        fail(QStringLiteral("The default printer could not be read, so %1 was not printed: %2")
                 .arg(sourcePath, saved.status().message()));
        quitAndRelease();
        return result;
    }

    bool printed = false;
    QString why;
    const Result<Variant> chosen =
        application->Invoke(WordMember::ActivePrinter, DispatchKind::PropertyPut,
                            {Variant::fromString(PostScriptPrinterName)});
    if (!chosen.ok()) {
        fail(QStringLiteral("The printer \"%1\" could not be chosen, so %2 was not printed: %3")
                 .arg(PostScriptPrinterName, sourcePath, chosen.status().message()));
    } else if (documents = ObjectFrom(
                   application->Invoke(WordMember::Documents, DispatchKind::PropertyGet, {}), why,
                   QStringLiteral("the word processor"));
               !documents) {
        fail(QStringLiteral(
                 "The word processor gave no list of documents, so %1 was not converted: %2")
                 .arg(sourcePath, why));
    } else if (const Status ready = PrepareSpoolFile(services.workFolder, prompter, sourcePath);
               !ready.ok()) {
        result.failure = ready.message();
    } else if (document = ObjectFrom(
                   documents->Invoke(WordMember::Open, DispatchKind::Method, arguments.open()), why,
                   QStringLiteral("the word processor"));
               !document) {
        fail(QStringLiteral("The word processor could not open %1: %2").arg(sourcePath, why));
    } else {
        const std::optional<PrintJobState> baseline = jobs.newestJob(PostScriptPrinterName);
        const Result<Variant> printOut =
            document->Invoke(WordMember::PrintOut, DispatchKind::Method, arguments.printOut());
        if (!printOut.ok()) {
            fail(QStringLiteral("The word processor could not print %1: %2")
                     .arg(sourcePath, printOut.status().message()));
        } else {
            // The word processor's own wait: read the count, and while it is above 0, read it
            // again and sleep a second. It is bounded here, and a pacing that does
            // not sleep still leaves CUPS a moment between two questions.
            const auto start = jobs.now();
            auto lastPoll = start;
            Result<Variant> status = application->Invoke(WordMember::BackgroundPrintingStatus,
                                                         DispatchKind::PropertyGet, {});
            bool timedOut = false;
            while (status.ok() && status.value().toI4() > 0) {
                if (jobs.now() - start >= BackgroundPrintingLimit) {
                    timedOut = true;
                    break;
                }
                status = application->Invoke(WordMember::BackgroundPrintingStatus,
                                             DispatchKind::PropertyGet, {});
                services.pacing.wait(BackgroundPoll);
                const auto since =
                    std::chrono::duration_cast<std::chrono::milliseconds>(jobs.now() - lastPoll);
                if (since < BackgroundPrintingMinimumPoll)
                    jobs.sleep(BackgroundPrintingMinimumPoll - since);
                lastPoll = jobs.now();
            }
            if (!status.ok()) {
                fail(QStringLiteral("The word processor could not tell whether %1 has printed: %2")
                         .arg(sourcePath, status.status().message()));
            } else if (timedOut) {
                result.failure =
                    QStringLiteral("the printer \"%1\" did not finish %2 within %3 seconds")
                        .arg(PostScriptPrinterName, sourcePath, seconds(BackgroundPrintingLimit));
            } else {
                const Status finished =
                    WaitForPrintedJob(services.workFolder, CurrentUserName(), baseline, jobs);
                printed = finished.ok();
                if (!printed)
                    result.failure = finished.message();
            }
        }
    }

    result = FinishConversion(printed, result, target, sourcePath, saved.value(), services);

    quitAndRelease();
    return result;
}
