#include "DialogTemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Rounds a * b / c to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

QRect rectFrom(const QJsonValue& value)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 4)
        return {};
    return QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
}

QStringList stringsFrom(const QJsonValue& value)
{
    QStringList out;
    for (const QJsonValue& v : value.toArray())
        out.append(v.toString());
    return out;
}

} // namespace

const ControlTemplate* DialogTemplate::control(int controlId) const
{
    for (const ControlTemplate& c : controls)
        if (c.id == controlId)
            return &c;
    return nullptr;
}

QSize DialogTemplate::baseUnits() const
{
    return pointSize >= 9 ? QSize(7, 15) : QSize(6, 13);
}

QRect DialogTemplate::mapDialogRect(const QRect& du) const
{
    const QSize base = baseUnits();
    const int left = mulDiv(du.x(), base.width(), 4);
    const int top = mulDiv(du.y(), base.height(), 8);
    const int right = mulDiv(du.x() + du.width(), base.width(), 4);
    const int bottom = mulDiv(du.y() + du.height(), base.height(), 8);
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogTemplate::mapDialogSize(const QSize& du) const
{
    return mapDialogRect(QRect(QPoint(0, 0), du)).size();
}

std::optional<DialogTemplate> ParseDialogTemplate(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        if (error)
            *error = parseError.errorString();
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    DialogTemplate t;
    t.id = o.value(QLatin1String("id")).toInt();
    t.caption = o.value(QLatin1String("caption")).toString();
    t.font = o.value(QLatin1String("font")).toString();
    t.pointSize = o.value(QLatin1String("pointSize")).toInt(8);
    const QJsonArray size = o.value(QLatin1String("size")).toArray();
    if (t.id <= 0 || size.size() != 2) {
        if (error)
            *error = QStringLiteral("a template needs an id and a size");
        return std::nullopt;
    }
    t.size = QSize(size[0].toInt(), size[1].toInt());
    t.style = stringsFrom(o.value(QLatin1String("style")));
    for (const QJsonValue& v : o.value(QLatin1String("controls")).toArray()) {
        const QJsonObject c = v.toObject();
        ControlTemplate ct;
        ct.id = c.value(QLatin1String("id")).toInt(-1);
        ct.className = c.value(QLatin1String("class")).toString();
        ct.text = c.value(QLatin1String("text")).toString();
        ct.rect = rectFrom(c.value(QLatin1String("rect")));
        ct.style = stringsFrom(c.value(QLatin1String("style")));
        ct.bitmap = c.value(QLatin1String("bitmap")).toInt();
        if (ct.className.isEmpty()) {
            if (error)
                *error = QStringLiteral("control %1 has no class").arg(ct.id);
            return std::nullopt;
        }
        t.controls.append(ct);
    }
    return t;
}

std::optional<DialogTemplate> LoadDialogTemplate(int templateId)
{
    QFile file(QStringLiteral(":/res/dialogs/%1.json").arg(templateId));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ParseDialogTemplate(file.readAll());
}
