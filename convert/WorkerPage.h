#pragma once

#include "ConversionSettings.h"

#include <QString>

// The page that hosts a conversion run: the windows' file list page, the command
// line, or a test double. The worker calls it from its own thread; in the windows
// every call blocks until the user-interface thread has handled it, so the calls
// take effect in the order the worker makes them.
class WorkerPage
{
public:
    virtual ~WorkerPage() = default;

    // Run start, on the thread that starts the run: the option pages copy their
    // controls into the settings (Advanced, Security, Description, in that order),
    // the destination edit's text, and the finish dialog's folder.
    virtual ConversionSettings captureSettings() = 0;
    virtual QString destinationText() = 0;
    virtual void setFinishFolder(const QString& folder) = 0;

    // The file list: rows of source paths.
    virtual int rowCount() = 0;
    virtual QString rowPath(int row) = 0;
    virtual void deleteAllRows() = 0;

    // Run state seen by the page's commands and by the list's drop handling.
    virtual void setBusy(bool busy) = 0;
    virtual void setConverting(bool converting) = 0;

    // The page's own status line and progress bar.
    virtual void setStatusText(const QString& text) = 0;
    virtual void setProgress(int position, int range, bool showBar) = 0;
    virtual void redrawPage() = 0;

    // WM_SETSTATUSTEXT and WM_SETPROGRESS to the main window.
    virtual void sendStatusText(const QString& text) = 0;
    virtual void sendProgress(int finished, int total) = 0;

    // Timers of the page's window: 1 animates "Begin Convert", 2 opens the finish dialog.
    virtual void startTimer(int id, int periodMs) = 0;
    virtual void stopTimer(int id) = 0;

    // The finish dialog's list of PDF names of this run.
    virtual void appendResultName(const QString& name) = 0;

    // The replace question for an output that exists already; true replaces it.
    // The windows show ReplaceQuestionText as a Yes/No box.
    virtual bool askReplace(const QString& outputPath) = 0;

    // One file's end. The windows show ConvertFailedText for a failure and nothing
    // for a success; the command line prints a line for each.
    virtual void reportConverted(const QString& sourcePath, const QString& outputPath) = 0;
    virtual void reportFailed(const QString& sourcePath, const QString& outputPath,
                              const QString& reason) = 0;
};

QString ReplaceQuestionText(const QString& outputPath);
QString ConvertFailedText(const QString& outputPath);
