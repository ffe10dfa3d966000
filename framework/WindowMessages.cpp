#include "WindowMessages.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

QEvent::Type WindowMessageEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

WindowMessageEvent::WindowMessageEvent(UINT message_, WPARAM wParam_, LPARAM lParam_, bool posted_)
    : QEvent(eventType()), message(message_), wParam(wParam_), lParam(lParam_), posted(posted_)
{
}

void RunOnThreadOf(QObject* context, const std::function<void()>& work)
{
    if (context->thread() == QThread::currentThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(context, work, Qt::BlockingQueuedConnection);
}

LRESULT SendMessageW(QObject* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == nullptr)
        return 0;
    WindowMessageEvent event(message, wParam, lParam, false);
    RunOnThreadOf(window, [&] { QCoreApplication::sendEvent(window, &event); });
    return event.result;
}

void PostMessage(QObject* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == nullptr)
        return;
    QCoreApplication::postEvent(window, new WindowMessageEvent(message, wParam, lParam, true));
}
