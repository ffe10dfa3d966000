#include "UserAccount.h"

#include <pwd.h>
#include <unistd.h>

QString CurrentUserName()
{
    if (const passwd* entry = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::getuid());
}

QString CurrentUserFullName()
{
    if (const passwd* entry = ::getpwuid(::getuid())) {
        const QString full =
            QString::fromLocal8Bit(entry->pw_gecos).section(QLatin1Char(','), 0, 0).trimmed();
        return full.isEmpty() ? QString::fromLocal8Bit(entry->pw_name) : full;
    }
    return CurrentUserName();
}
