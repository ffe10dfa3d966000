#include "Shell.h"

#include "ProgramFolder.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>

namespace {

class DesktopShell final : public Shell
{
public:
    QStringList chooseFilesToOpen(QWidget* owner, const QString& filter) override
    {
        return QFileDialog::getOpenFileNames(owner, QString(), QString(), filter);
    }

    QString chooseFolder(QWidget* owner) override
    {
        return QFileDialog::getExistingDirectory(owner, QString(), QString(),
                                                 QFileDialog::ShowDirsOnly);
    }

    bool open(const QUrl& url) override { return QDesktopServices::openUrl(url); }

    void showInFolder(const QString& path) override
    {
        // The freedesktop file-manager interface selects the item in its folder. A
        // session without a file manager (or without a session bus) answers with an
        // error, and the folder alone is opened instead.
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            open(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    }
};

Shell* g_shell = nullptr;

} // namespace

Shell& CurrentShell()
{
    static DesktopShell desktop;
    return g_shell != nullptr ? *g_shell : desktop;
}

void SetShell(Shell* shell)
{
    g_shell = shell;
}

QUrl HelpFileUrl()
{
    return QUrl::fromLocalFile(programFolder() + QStringLiteral("/Tabloria 5.0 Help.html"));
}

QUrl HomePageUrl()
{
    return QUrl::fromLocalFile(programFolder() + QStringLiteral("/Tabloria Home.html"));
}
