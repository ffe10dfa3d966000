#include "RecordingPage.h"

ConversionSettings RecordingPage::captureSettings()
{
    calls << QStringLiteral("capture settings");
    return settings;
}

QString RecordingPage::destinationText()
{
    return destination;
}

void RecordingPage::setFinishFolder(const QString& folder)
{
    finishFolder = folder;
}

int RecordingPage::rowCount()
{
    calls << QStringLiteral("row count");
    return static_cast<int>(rows.size());
}

QString RecordingPage::rowPath(int row)
{
    return rows.value(row);
}

void RecordingPage::deleteAllRows()
{
    calls << QStringLiteral("delete all rows");
    rows.clear();
}

void RecordingPage::setBusy(bool busy)
{
    calls << QStringLiteral("busy %1").arg(busy ? 1 : 0);
}

void RecordingPage::setConverting(bool converting)
{
    calls << QStringLiteral("converting %1").arg(converting ? 1 : 0);
}

void RecordingPage::setStatusText(const QString& text)
{
    calls << QStringLiteral("status ") + text;
}

void RecordingPage::setProgress(int position, int range, bool showBar)
{
    calls << QStringLiteral("bar %1/%2%3")
                 .arg(position)
                 .arg(range)
                 .arg(showBar ? QString() : QStringLiteral(" hidden"));
}

void RecordingPage::redrawPage()
{
    calls << QStringLiteral("redraw");
}

void RecordingPage::sendStatusText(const QString& text)
{
    calls << QStringLiteral("WM_SETSTATUSTEXT ") + text;
}

void RecordingPage::sendProgress(int finished, int total)
{
    calls << QStringLiteral("WM_SETPROGRESS %1 %2").arg(finished).arg(total);
}

void RecordingPage::startTimer(int id, int periodMs)
{
    calls << QStringLiteral("start timer %1 %2").arg(id).arg(periodMs);
}

void RecordingPage::stopTimer(int id)
{
    calls << QStringLiteral("stop timer %1").arg(id);
}

void RecordingPage::appendResultName(const QString& name)
{
    resultNames << name;
}

bool RecordingPage::askReplace(const QString& outputPath)
{
    calls << QStringLiteral("ask ") + ReplaceQuestionText(outputPath);
    if (replaceAnswers.empty())
        return false;
    const bool a = replaceAnswers.front();
    replaceAnswers.pop_front();
    return a;
}

void RecordingPage::reportConverted(const QString& sourcePath, const QString&)
{
    calls << QStringLiteral("converted ") + sourcePath.section(QLatin1Char('/'), -1);
}

void RecordingPage::reportFailed(const QString& sourcePath, const QString& outputPath,
                                 const QString& reason)
{
    calls << QStringLiteral("failed ") +
                 ConvertFailedText(outputPath.section(QLatin1Char('/'), -1));
    failures << sourcePath.section(QLatin1Char('/'), -1) + QStringLiteral(": ") + reason;
}
