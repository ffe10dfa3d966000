#include "LibreOffice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString xmlEscaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString settingItem(const ProfileSetting& setting)
{
    return QStringLiteral("<item oor:path=\"%1\"><prop oor:name=\"%2\" "
                          "oor:op=\"fuse\"><value>%3</value></prop></item>")
        .arg(xmlEscaped(setting.path), xmlEscaped(setting.name), xmlEscaped(setting.value));
}

const QString RegistryHeader =
    QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                   "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                   "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n");
const QString RegistryEnd = QStringLiteral("</oor:items>");

} // namespace

QString DefaultLibreOfficeProfile()
{
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/tabloria/lo-profile");
}

Result<QString> LibreOfficeProgramFolder(const QString& program, const QString& package)
{
    const QString found = program.contains(QLatin1Char('/'))
                              ? (QFileInfo(program).isExecutable() ? program : QString())
                              : QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return Status::failure(
            QStringLiteral("LibreOffice (%1) is not installed. Install the %2 package.")
                .arg(program, package));
    return QFileInfo(QFileInfo(found).canonicalFilePath()).absolutePath();
}

QString LibreOfficeVersion(const QString& programFolder)
{
    QFile main(programFolder + QStringLiteral("/../share/registry/main.xcd"));
    if (!main.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression version(
        QStringLiteral("oor:name=\"ooSetupVersion\">\\s*<value>([^<]+)</value>"));
    return version.match(QString::fromUtf8(main.readAll())).captured(1);
}

std::vector<ProfileSetting> WarmStartSettings(const QString& version)
{
    if (version.isEmpty())
        return {};
    return {{QStringLiteral("/org.openoffice.Setup/Product"), QStringLiteral("ooSetupLastVersion"),
             version}};
}

Status WriteProfileSettings(const QString& profileFolder,
                            const std::vector<ProfileSetting>& settings)
{
    if (settings.empty())
        return {};
    const QString user = profileFolder + QStringLiteral("/user");
    if (!QDir().mkpath(user))
        return Status::failure(
            QStringLiteral("the LibreOffice profile %1 cannot be created").arg(user));
    const QString path = user + QStringLiteral("/registrymodifications.xcu");

    QString text;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(existing.readAll());
    if (!text.contains(RegistryEnd))
        text = RegistryHeader + RegistryEnd + QLatin1Char('\n');

    bool changed = false;
    for (const ProfileSetting& setting : settings) {
        const QString wanted = settingItem(setting);
        if (text.contains(wanted))
            continue;
        // Any other value LibreOffice wrote for this setting goes.
        const QRegularExpression other(
            QStringLiteral("<item oor:path=\"%1\"><prop oor:name=\"%2\"[^\n]*?</item>\n?")
                .arg(QRegularExpression::escape(xmlEscaped(setting.path)),
                     QRegularExpression::escape(xmlEscaped(setting.name))));
        text.remove(other);
        text.insert(text.lastIndexOf(RegistryEnd), wanted + QLatin1Char('\n'));
        changed = true;
    }
    if (!changed)
        return {};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return Status::failure(QStringLiteral("the LibreOffice settings %1 cannot be written: %2")
                                   .arg(path, file.errorString()));
    return {};
}
