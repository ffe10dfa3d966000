#include "Variant.h"

#include <QStringList>

namespace {

template <typename T> T payloadOr(const auto& payload, T fallback)
{
    if (const T* p = std::get_if<T>(&payload))
        return *p;
    return fallback;
}

} // namespace

Variant Variant::fromString(const QString& text)
{
    Variant v;
    v.m_type = VT_BSTR;
    v.m_payload = text;
    return v;
}

Variant Variant::fromI4(qint32 value)
{
    Variant v;
    v.m_type = VT_I4;
    v.m_payload = value;
    return v;
}

Variant Variant::fromI2(qint16 value)
{
    Variant v;
    v.m_type = VT_I2;
    v.m_payload = value;
    return v;
}

Variant Variant::fromBool(bool value)
{
    Variant v;
    v.m_type = VT_BOOL;
    v.m_payload = value;
    return v;
}

Variant Variant::fromError(quint32 code)
{
    Variant v;
    v.m_type = VT_ERROR;
    v.m_payload = code;
    return v;
}

Variant Variant::fromDispatch(std::shared_ptr<Dispatch> object)
{
    Variant v;
    v.m_type = VT_DISPATCH;
    v.m_payload = std::move(object);
    return v;
}

Variant Variant::missing()
{
    return fromError(DISP_E_PARAMNOTFOUND);
}

Variant Variant::byRef(Variant& target)
{
    Variant v;
    // A reference to a reference refers to the final variant.
    v.m_ref = target.m_ref ? target.m_ref : &target;
    return v;
}

quint16 Variant::vt() const
{
    if (m_ref)
        return static_cast<quint16>(m_ref->m_type | VT_BYREF);
    return m_type;
}

bool Variant::isMissing() const
{
    const Variant& v = value();
    return v.m_type == VT_ERROR && payloadOr<quint32>(v.m_payload, 0) == DISP_E_PARAMNOTFOUND;
}

QString Variant::toString() const
{
    return payloadOr<QString>(value().m_payload, {});
}

qint32 Variant::toI4() const
{
    return payloadOr<qint32>(value().m_payload, 0);
}

qint16 Variant::toI2() const
{
    return payloadOr<qint16>(value().m_payload, 0);
}

bool Variant::toBool() const
{
    return payloadOr<bool>(value().m_payload, false);
}

quint32 Variant::toError() const
{
    return payloadOr<quint32>(value().m_payload, 0);
}

std::shared_ptr<Dispatch> Variant::toDispatch() const
{
    return payloadOr<std::shared_ptr<Dispatch>>(value().m_payload, nullptr);
}

bool Variant::operator==(const Variant& other) const
{
    if (m_ref || other.m_ref)
        return m_ref == other.m_ref;
    return m_type == other.m_type && m_payload == other.m_payload;
}

QString Variant::describe() const
{
    const Variant& v = value();
    QString text;
    switch (v.m_type) {
    case VT_EMPTY:
        text = QStringLiteral("VT_EMPTY");
        break;
    case VT_I2:
        text = QStringLiteral("VT_I2 %1").arg(v.toI2());
        break;
    case VT_I4:
        text = QStringLiteral("VT_I4 %1").arg(v.toI4());
        break;
    case VT_BSTR:
        text = QStringLiteral("VT_BSTR \"%1\"").arg(v.toString());
        break;
    case VT_DISPATCH:
        text = v.toDispatch() ? QStringLiteral("VT_DISPATCH") : QStringLiteral("VT_DISPATCH null");
        break;
    case VT_ERROR:
        text = QStringLiteral("VT_ERROR 0x%1").arg(v.toError(), 8, 16, QLatin1Char('0'));
        break;
    case VT_BOOL:
        text = v.toBool() ? QStringLiteral("VT_BOOL true") : QStringLiteral("VT_BOOL false");
        break;
    case VT_BYREF:
        break;
    }
    return m_ref ? QStringLiteral("VT_BYREF ") + text : text;
}
