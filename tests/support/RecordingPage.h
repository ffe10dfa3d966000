#pragma once

#include "WorkerPage.h"

#include <QStringList>

#include <deque>

// A file list page that records every call of the worker as one line, in order.
class RecordingPage final : public WorkerPage
{
public:
    ConversionSettings captureSettings() override;
    QString destinationText() override;
    void setFinishFolder(const QString& folder) override;
    int rowCount() override;
    QString rowPath(int row) override;
    void deleteAllRows() override;
    void setBusy(bool busy) override;
    void setConverting(bool converting) override;
    void setStatusText(const QString& text) override;
    void setProgress(int position, int range, bool showBar) override;
    void redrawPage() override;
    void sendStatusText(const QString& text) override;
    void sendProgress(int finished, int total) override;
    void startTimer(int id, int periodMs) override;
    void stopTimer(int id) override;
    void appendResultName(const QString& name) override;
    bool askReplace(const QString& outputPath) override;
    void reportConverted(const QString& sourcePath, const QString& outputPath) override;
    void reportFailed(const QString& sourcePath, const QString& outputPath,
                      const QString& reason) override;

    // What the page holds.
    QStringList rows;
    QString destination;
    ConversionSettings settings;
    std::deque<bool> replaceAnswers; // answered in order; No when empty

    // What happened.
    QStringList calls;
    QStringList resultNames;
    QString finishFolder;
    QStringList failures; // "source: reason"
};
