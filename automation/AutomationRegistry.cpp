#include "AutomationRegistry.h"

#include <QMutexLocker>

Status AutomationRegistry::CoInitialize()
{
    return {};
}

void AutomationRegistry::registerServer(const QString& progId, Factory factory)
{
    const QMutexLocker lock(&m_mutex);
    m_factories.insert(progId, std::move(factory));
}

Result<std::shared_ptr<Dispatch>> AutomationRegistry::createObject(const QString& progId)
{
    Factory factory;
    {
        const QMutexLocker lock(&m_mutex);
        factory = m_factories.value(progId);
    }
    if (!factory)
        return Status::failure(
            QStringLiteral("no automation server is registered as \"%1\"").arg(progId));
    Result<std::shared_ptr<Dispatch>> object = factory();
    if (object.ok() && !object.value())
        return Status::failure(QStringLiteral("the server \"%1\" gave no object").arg(progId));
    return object;
}
