#pragma once

#include <QEvent>
#include <QObject>
#include <QPoint>

#include <functional>

// Window messages as the program's windows exchange them. The numbers are the
// program's own; a message is carried as a WindowMessageEvent to any QObject.
using UINT = unsigned int;
using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;

constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_FILESDROPPED = WM_USER + 101;  // 1125, posted by the file list after a drop
constexpr UINT WM_SETSTATUSTEXT = WM_USER + 200; // 1224, lParam: const QString*
constexpr UINT WM_SETPROGRESS = WM_USER + 201;   // 1225, wParam done, lParam total
constexpr UINT WM_SETSAVEFOLDER = WM_USER + 202; // 1226, lParam: const QString*

// What a window's pre-translation sees: the receiver, the message and, for mouse
// messages, the cursor position in screen coordinates.
struct MSG
{
    QObject* hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QPoint pt;
};

class WindowMessageEvent final : public QEvent
{
public:
    static QEvent::Type eventType();

    WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam, bool posted);

    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;
    LRESULT result = 0;
};

// Sends a message and returns the receiver's answer. From the receiver's own thread
// this is a direct call; from any other thread the caller waits until the receiver
// has handled the message on its thread, so pointers in the parameters need to live
// only for the call. The receiver must outlive the call.
LRESULT SendMessageW(QObject* window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Queues a message for the receiver's thread and returns at once.
void PostMessage(QObject* window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Runs `work` on the thread of `context` and waits for it to finish (a direct call when
// already there). For the cross-thread requests of the conversion worker.
void RunOnThreadOf(QObject* context, const std::function<void()>& work);

// The string a message carries in lParam (WM_SETSTATUSTEXT, WM_SETSAVEFOLDER).
inline LPARAM StringParam(const QString& text)
{
    return reinterpret_cast<LPARAM>(&text);
}
inline const QString& StringFromParam(LPARAM lParam)
{
    return *reinterpret_cast<const QString*>(lParam);
}
