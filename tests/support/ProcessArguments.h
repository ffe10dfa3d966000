#pragma once

#include <QString>
#include <QStringList>

// The argument that follows option in a command line; empty when there is none.
inline QString argumentAfter(const QStringList& arguments, const QString& option)
{
    const qsizetype i = arguments.indexOf(option);
    return i >= 0 && i + 1 < arguments.size() ? arguments[i + 1] : QString();
}
