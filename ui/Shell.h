#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

// What the windows ask of the desktop: the file and folder choosers, opening a file
// or an address with its usual program, and showing a file selected in its folder.
// One real implementation over Qt and D-Bus; tests put a recording one in its place.
class Shell
{
public:
    virtual ~Shell() = default;

    // The chosen files (empty when cancelled), full paths in the order given.
    virtual QStringList chooseFilesToOpen(QWidget* owner, const QString& filter) = 0;
    // The chosen folder without a trailing slash (empty when cancelled).
    virtual QString chooseFolder(QWidget* owner) = 0;
    // Opens a file or an address with the desktop's program for it; false when
    // nothing could be started.
    virtual bool open(const QUrl& url) = 0;
    // Shows `path` selected in a file manager's window of its folder; where no file
    // manager answers, opens the folder.
    virtual void showInFolder(const QString& path) = 0;
};

// The shell the windows use. Never null: the desktop's own unless a test set another.
Shell& CurrentShell();
// Puts `shell` in place (nullptr: back to the desktop's own). Tests only.
void SetShell(Shell* shell);

// The program's help page and home page, both in the program folder.
QUrl HelpFileUrl();
QUrl HomePageUrl();
