#include "Resources.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QString LoadResString(int id)
{
    QFile file(QStringLiteral(":/res/strings.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject table = QJsonDocument::fromJson(file.readAll()).object();
    return table.value(QString::number(id)).toString();
}

QImage LoadResBitmap(int id)
{
    return QImage(QStringLiteral(":/res/bitmap%1.bmp").arg(id));
}

QIcon LoadResIcon(int id)
{
    return QIcon(QStringLiteral(":/res/icon%1.png").arg(id));
}
