#include "Dispatch.h"

QString describeDispatchKind(DispatchKind kind)
{
    switch (kind) {
    case DispatchKind::Method:
        return QStringLiteral("method");
    case DispatchKind::PropertyGet:
        return QStringLiteral("property get");
    case DispatchKind::PropertyPut:
        return QStringLiteral("property put");
    }
    return {};
}

Status memberNotFound(DispId member, DispatchKind kind)
{
    return Status::failure(QStringLiteral("the object has no %1 with member id 0x%2")
                               .arg(describeDispatchKind(kind))
                               .arg(static_cast<quint32>(member), 0, 16),
                           statusCode(DISP_E_MEMBERNOTFOUND));
}
