#pragma once

#include "Status.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

class ProcessRunner;
struct ProcessRequest;

// One value of the LibreOffice configuration that a server needs in its profile,
// e.g. {"/org.openoffice.Office.Calc/Print/Other", "AllSheets", "true"}.
struct ProfileSetting
{
    QString path;
    QString name;
    QString value;
};

struct LibreOfficeOptions
{
    QString program = QStringLiteral("soffice");
    // The Debian package to install when the program is not there: the part of
    // LibreOffice the server drives.
    QString package = QStringLiteral("libreoffice-calc");
    // The private profile; empty: DefaultProfileFolder().
    QString profileFolder;
    // Settings written into the profile before every start.
    std::vector<ProfileSetting> settings;
    // A start that takes longer is ended with everything it started. A stopped or
    // hung instance would otherwise block the conversion for good.
    std::chrono::milliseconds runLimit = std::chrono::minutes(3);
    // How long to wait for another conversion that holds the profile.
    std::chrono::milliseconds lockLimit = std::chrono::minutes(4);
};

// Runs LibreOffice headless for the automation servers, one start per request.
//
// Every start uses a private profile under the user's cache folder, so that a
// LibreOffice the user has open is never disturbed and never takes our requests.
// The starts are serialised across processes with a lock beside the profile: a
// second instance on the same profile would hand its work to the first and return
// at once, so none may run while we start one. An instance left over on the profile
// (a crash, a stopped process) is ended before each start, and whatever a start
// leaves running is ended when it exits.
//
// LibreOffice exits with 0 even when it could not load a file and says so only in
// its output ("Error: source file could not be loaded"); the runner reads that
// output and reports a failure. PRINTER and LPDEST are removed from its environment
// because they would override the printer it is told to use.
class LibreOfficeRunner
{
public:
    explicit LibreOfficeRunner(ProcessRunner& processes, LibreOfficeOptions options = {});

    // <cache>/tabloria/lo-profile, the cache being $XDG_CACHE_HOME or ~/.cache.
    static QString DefaultProfileFolder();

    const QString& profileFolder() const { return m_options.profileFolder; }
    // The -env:UserInstallation value that names the profile.
    QString profileUrl() const;

    // Checks that LibreOffice can be started at all and ends any instance left on
    // the profile. Nothing is started.
    Status prepare();

    // Loads source with the given input filter and stores it in outputFolder in
    // the given format ("ods", "pdf", ...). Returns the file written.
    Result<QString> convert(const QString& source, const QString& inputFilter, const QString& format,
                            const QString& outputFolder);

    // Loads document with the given input filter and prints it to printer.
    Status print(const QString& document, const QString& inputFilter, const QString& printer);

    // Ends every process of this user that runs on the private profile.
    Status endInstances();

    // The request for one start with these arguments after the common ones.
    ProcessRequest requestFor(const QStringList& arguments) const;

private:
    Status run(const QStringList& arguments);
    Status writeProfileSettings();

    ProcessRunner& m_processes;
    LibreOfficeOptions m_options;
};
