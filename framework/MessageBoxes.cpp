#include "MessageBoxes.h"

#include "WindowMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct Script
{
    QMutex mutex;
    bool answering = false;
    QList<MessageAnswer> answers;
    QList<ShownMessage> shown;
};

Script& script()
{
    static Script s;
    return s;
}

MessageIcon resolvedIcon(MessageButtons buttons, MessageIcon icon)
{
    if (icon != MessageIcon::Standard)
        return icon;
    return buttons == MessageButtons::YesNo ? MessageIcon::Question : MessageIcon::Exclamation;
}

MessageAnswer showOnScreen(const ShownMessage& box)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (box.icon) {
    case MessageIcon::Exclamation:
        icon = QMessageBox::Warning;
        break;
    case MessageIcon::Question:
        icon = QMessageBox::Question;
        break;
    case MessageIcon::Stop:
        icon = QMessageBox::Critical;
        break;
    case MessageIcon::Standard:
    case MessageIcon::None:
        break;
    }
    const bool question = box.buttons == MessageButtons::YesNo;
    QMessageBox dialog(icon, box.caption, box.text,
                       question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                       QApplication::activeWindow());
    const int answer = dialog.exec();
    if (!question)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

} // namespace

MessageAnswer ShowMessageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                             const QString& caption)
{
    const ShownMessage box{text, caption.isEmpty() ? QStringLiteral("Tabloria") : caption, buttons,
                           resolvedIcon(buttons, icon)};
    {
        Script& s = script();
        QMutexLocker lock(&s.mutex);
        if (s.answering) {
            s.shown.append(box);
            const MessageAnswer fallback =
                buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
            return s.answers.isEmpty() ? fallback : s.answers.takeFirst();
        }
    }
    MessageAnswer answer = MessageAnswer::Ok;
    RunOnThreadOf(qApp, [&] { answer = showOnScreen(box); });
    return answer;
}

namespace MessageBoxes {

void AnswerInAdvance(const QList<MessageAnswer>& answers)
{
    Script& s = script();
    QMutexLocker lock(&s.mutex);
    s.answering = true;
    s.answers.append(answers);
}

QList<ShownMessage> Shown()
{
    Script& s = script();
    QMutexLocker lock(&s.mutex);
    return s.shown;
}

void Reset()
{
    Script& s = script();
    QMutexLocker lock(&s.mutex);
    s.answering = false;
    s.answers.clear();
    s.shown.clear();
}

} // namespace MessageBoxes
