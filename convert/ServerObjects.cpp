#include "ServerObjects.h"

std::shared_ptr<Dispatch> ObjectFrom(Result<Variant> result, QString& failure,
                                     const QString& serverName)
{
    if (!result.ok()) {
        failure = result.status().message();
        return nullptr;
    }
    std::shared_ptr<Dispatch> object = result.value().toDispatch();
    if (!object)
        failure = QStringLiteral("%1 gave %2 where an object was expected")
                      .arg(serverName, result.value().describe());
    return object;
}
