#pragma once

#include "Status.h"

#include <QString>

#include <chrono>
#include <vector>

// One value of the LibreOffice configuration that the office needs in its profile,
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
    // The private profile; empty: DefaultLibreOfficeProfile().
    QString profileFolder;
    // Settings written into the profile before every start.
    std::vector<ProfileSetting> settings;
    // An office that does not answer on its pipe within this time after its start is
    // ended and the call fails.
    std::chrono::milliseconds startLimit = std::chrono::seconds(60);
    // A load or print that takes longer ends the office (which a hung office would
    // never do by itself), and the call fails.
    std::chrono::milliseconds callLimit = std::chrono::minutes(3);
    // How long to wait for another conversion that holds the profile.
    std::chrono::milliseconds lockLimit = std::chrono::minutes(4);
};

// <cache>/tabloria/lo-profile, the cache being $XDG_CACHE_HOME or ~/.cache.
QString DefaultLibreOfficeProfile();

// The program folder of the LibreOffice that program names (found in PATH without a
// '/', links resolved); fails, naming package, when it is not installed.
Result<QString> LibreOfficeProgramFolder(const QString& program, const QString& package);

// The version of the installed office ("7.4"), read from its own configuration in
// programFolder/../share/registry; empty when it cannot be read.
QString LibreOfficeVersion(const QString& programFolder);

// The settings every start of the office needs besides settings: the office's
// version as the last one started on the profile, without which each start of a
// headless office takes its first-start tests again (several seconds).
std::vector<ProfileSetting> WarmStartSettings(const QString& version);

// Writes settings into profileFolder/user/registrymodifications.xcu, replacing any
// other value of the same settings and keeping everything else.
Status WriteProfileSettings(const QString& profileFolder,
                            const std::vector<ProfileSetting>& settings);
