#include "ConversionWorker.h"

#include "OutputNaming.h"
#include "WorkerPage.h"

#include <QFileInfo>

using namespace std::chrono_literals;

namespace {

constexpr int StatusTimer = 1;
constexpr int FinishTimer = 2;
constexpr int FinishTimerPeriodMs = 1000;

bool isOneOf(const QString& text, std::initializer_list<const char*> candidates)
{
    for (const char* c : candidates)
        if (text == QLatin1String(c))
            return true;
    return false;
}

} // namespace

QString ReplaceQuestionText(const QString& outputPath)
{
    return outputPath + QStringLiteral(" already exists. Do you want to replace it?");
}

QString ConvertFailedText(const QString& outputPath)
{
    return outputPath + QStringLiteral(" convert failed!");
}

const ConverterFunction& ConverterTable::forPath(const QString& sourcePath) const
{
    const QString extension = SourceExtension(sourcePath);
    if (isOneOf(extension, {"xls", "xlsx"}))
        return excel;
    if (isOneOf(extension, {"ppt", "pptx"}))
        return powerPoint;
    if (isOneOf(extension, {"jpg", "bmp", "png", "gif"}))
        return image;
    return word;
}

void ConversionWorker(WorkerPage& page, const ConversionTarget& target,
                      const ConverterTable& converters, ConverterServices& services)
{
    page.setBusy(true);
    services.pacing.wait(100ms);

    const int n = page.rowCount();
    int produced = 0;
    for (int i = 0; i < n; ++i) {
        const QString sourcePath = page.rowPath(i);
        const QString outputPath = OutputPath(target.destinationFolder, sourcePath);

        // QFileInfo::exists sees a dangling link as missing; a link is still a name
        // that the PDF would replace.
        const QFileInfo existing(outputPath);
        const bool skip =
            (existing.exists() || existing.isSymLink()) && !page.askReplace(outputPath);
        if (!skip) {
            const ConverterFunction& convert = converters.forPath(sourcePath);
            ConverterResult result;
            if (convert)
                result = convert(target, sourcePath, services);
            else
                result.failure = QStringLiteral("no converter handles this kind of file");

            // Only a PDF that this conversion wrote counts: an old file of the same
            // name that survived a failed conversion does not.
            if (result.written && QFileInfo::exists(outputPath)) {
                page.appendResultName(OutputName(sourcePath));
                page.reportConverted(sourcePath, outputPath);
                ++produced;
            } else {
                page.reportFailed(sourcePath, outputPath,
                                  result.failure.isEmpty() ? QStringLiteral("no PDF was written")
                                                           : result.failure);
            }
        }

        page.setProgress(i + 1, n, true);
        page.sendProgress(i + 1, n);
        services.pacing.wait(500ms);
    }

    page.deleteAllRows();
    page.stopTimer(StatusTimer);
    services.pacing.wait(500ms);
    page.redrawPage();
    page.setBusy(false);
    page.setConverting(false);
    page.setStatusText(QStringLiteral("Over!"));
    page.sendStatusText(QStringLiteral("Over!"));
    if (produced > 0) {
        page.startTimer(FinishTimer, FinishTimerPeriodMs);
    } else {
        page.setProgress(n, n, true);
        page.sendProgress(0, n);
    }
}

std::thread StartConversionRun(WorkerPage& page, const ConverterTable& converters,
                               ConverterServices& services, std::function<void()> finished)
{
    ConversionTarget target;
    target.settings = page.captureSettings();
    target.destinationFolder = page.destinationText();
    page.setFinishFolder(WithTrailingSlash(target.destinationFolder));
    return std::thread([&page, target, converters, &services, finished = std::move(finished)]() {
        ConversionWorker(page, target, converters, services);
        if (finished)
            finished();
    });
}
