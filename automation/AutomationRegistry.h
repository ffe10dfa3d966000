#pragma once

#include "Dispatch.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <functional>
#include <memory>

// The automation servers this program knows, by program identifier
// ("Excel.Application", ...). The program registers the real servers at start-up;
// tests register recording servers under the same names.
class AutomationRegistry
{
public:
    using Factory = std::function<Result<std::shared_ptr<Dispatch>>()>;

    virtual ~AutomationRegistry() = default;

    // Prepares the calling thread for automation. There is nothing to prepare on
    // this platform, so it always succeeds; the converters still call it at the
    // point where the suites need it.
    virtual Status CoInitialize();

    // Replaces any server registered under progId.
    void registerServer(const QString& progId, Factory factory);

    // Starts a new instance of the server and returns its application object.
    Result<std::shared_ptr<Dispatch>> createObject(const QString& progId);

private:
    mutable QMutex m_mutex;
    QHash<QString, Factory> m_factories;
};
