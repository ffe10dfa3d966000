#include "DefaultPrinter.h"

#include "PrintContract.h"
#include "Prompter.h"
#include "RunRegistry.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

std::optional<SavedPrinter> RecordedDefaultPrinter(const QString& workFolder)
{
    QFile record(DefaultPrinterRecord(workFolder));
    if (!record.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = record.read(4096);
    if (text.isEmpty())
        return SavedPrinter();
    return SavedPrinter(QString::fromUtf8(text.endsWith('\n') ? text.chopped(1) : text));
}

namespace {

// Switching the default printer and putting it back never overlap, so that a run
// abandoned from another thread cannot have its restore undone by a switch still
// under way.
std::recursive_mutex& switchMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

Status writeRecord(const QString& workFolder, const SavedPrinter& saved)
{
    const QString path = DefaultPrinterRecord(workFolder);
    const QString temporary = path + QStringLiteral(".new");
    // A leftover of an interrupted write; if it cannot go, the exclusive open below says so.
    (void)RemoveWorkFile(temporary);
    const QByteArray name = QFile::encodeName(temporary);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Status::failure(QString::fromLocal8Bit(std::strerror(errno)), errno);
    const QByteArray text = saved ? saved->toUtf8() + '\n' : QByteArray();
    const bool written =
        ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
    const int err = errno;
    if (::fsync(fd) != 0 || ::close(fd) != 0 || !written ||
        ::rename(name.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(name.constData());
        return Status::failure(QString::fromLocal8Bit(std::strerror(written ? errno : err)), errno);
    }
    return {};
}

QString printerText(const SavedPrinter& printer)
{
    return printer ? QStringLiteral("\"%1\"").arg(*printer) : QStringLiteral("no default printer");
}

// Sets saved and reads it back; the record goes only when both worked.
Status restoreAndConfirm(Spooler& spooler, const SavedPrinter& saved, const QString& workFolder)
{
    if (const Status set = spooler.setDefaultPrinter(saved); !set.ok())
        return set;
    const Result<SavedPrinter> now = spooler.defaultPrinter();
    if (!now.ok())
        return Status::failure(
            QStringLiteral("it could not be read back: %1").arg(now.status().message()));
    if (now.value() != saved)
        return Status::failure(
            QStringLiteral("it reads %1 afterwards").arg(printerText(now.value())));
    // The restore is confirmed; a record that stays only repeats it at the next start.
    (void)RemoveWorkFile(DefaultPrinterRecord(workFolder));
    return {};
}

} // namespace

Status RestoreDefaultPrinter(Spooler& spooler, Prompter& prompter, const SavedPrinter& saved,
                             const QString& workFolder)
{
    std::unique_lock lock(switchMutex());
    const Status restored = restoreAndConfirm(spooler, saved, workFolder);
    if (restored.ok())
        return restored;
    const QString failure =
        QStringLiteral(
            "The default printer could not be set back to %1: %2. It will be set back the next "
            "time "
            "Tabloria or tabloria-convert starts; until then your documents print to \"%3\".")
            .arg(printerText(saved), restored.message(), PostScriptPrinterName);
    lock.unlock();
    prompter.showMessage(failure);
    return Status::failure(failure, restored.code());
}

Status FinishUnconfirmedRestore(Spooler& spooler, const QString& workFolder)
{
    std::lock_guard lock(switchMutex());
    const std::optional<SavedPrinter> recorded = RecordedDefaultPrinter(workFolder);
    if (!recorded)
        return {};
    const Status restored = restoreAndConfirm(spooler, *recorded, workFolder);
    if (!restored.ok())
        return Status::failure(
            QStringLiteral("The default printer was left on \"%1\" by a conversion that ended "
                           "abruptly, and it "
                           "could not be set back to %2: %3")
                .arg(PostScriptPrinterName, printerText(*recorded), restored.message()),
            restored.code());
    return {};
}

Result<SavedPrinter> ClaimPostScriptPrinter(Spooler& spooler, Prompter& prompter,
                                            const QString& sourcePath, const QString& workFolder)
{
    std::unique_lock lock(switchMutex(), std::defer_lock);
    const auto refuse = [&](const QString& failure) -> Result<SavedPrinter> {
        if (lock.owns_lock())
            lock.unlock();
        prompter.showMessage(failure);
        return Status::failure(failure);
    };
    if (const Status ready = spooler.checkPrinter(PostScriptPrinterName); !ready.ok())
        return refuse(QStringLiteral("%1 (%2 was not printed)").arg(ready.message(), sourcePath));

    lock.lock();
    if (RunRegistry::abandoned())
        return Status::failure(QStringLiteral("the run was interrupted"));
    SavedPrinter saved;
    if (const std::optional<SavedPrinter> recorded = RecordedDefaultPrinter(workFolder)) {
        saved = *recorded;
    } else {
        const Result<SavedPrinter> current = spooler.defaultPrinter();
        if (!current.ok())
            return refuse(
                QStringLiteral("The default printer could not be read, so %1 was not printed: %2")
                    .arg(sourcePath, current.status().message()));
        saved = current.value();
        if (const Status prepared = PrepareWorkFolder(workFolder); !prepared.ok())
            return refuse(prepared.message());
        if (const Status noted = writeRecord(workFolder, saved); !noted.ok())
            return refuse(
                QStringLiteral(
                    "The default printer could not be noted in %1 (%2), so %3 was not printed")
                    .arg(DefaultPrinterRecord(workFolder), noted.message(), sourcePath));
    }
    const Status selected = spooler.setDefaultPrinter(PostScriptPrinterName);
    if (!selected.ok()) {
        const Result<SavedPrinter> failure = refuse(
            QStringLiteral("The printer \"%1\" could not be made the default printer, so %2 was "
                           "not printed: %3")
                .arg(PostScriptPrinterName, sourcePath, selected.message()));
        // Shown by the restore itself; the claim has failed either way.
        (void)RestoreDefaultPrinter(spooler, prompter, saved, workFolder);
        return failure;
    }
    return saved;
}

DefaultPrinterClaim::DefaultPrinterClaim(Spooler& spooler, Prompter& prompter, SavedPrinter saved,
                                         QString workFolder)
    : m_spooler(&spooler), m_prompter(&prompter), m_saved(std::move(saved)),
      m_workFolder(std::move(workFolder))
{
}

DefaultPrinterClaim::DefaultPrinterClaim(DefaultPrinterClaim&& other) noexcept
    : m_spooler(other.m_spooler), m_prompter(other.m_prompter), m_saved(std::move(other.m_saved)),
      m_workFolder(std::move(other.m_workFolder)), m_pending(std::exchange(other.m_pending, false)),
      m_restored(std::move(other.m_restored))
{
}

DefaultPrinterClaim::~DefaultPrinterClaim()
{
    // The backstop: a converter's path that forgot the restore still puts the
    // user's default back (and says so when it cannot).
    if (m_pending)
        (void)restore();
}

Result<DefaultPrinterClaim> DefaultPrinterClaim::claim(Spooler& spooler, Prompter& prompter,
                                                       const QString& sourcePath,
                                                       const QString& workFolder)
{
    Result<SavedPrinter> saved = ClaimPostScriptPrinter(spooler, prompter, sourcePath, workFolder);
    if (!saved.ok())
        return saved.status();
    return DefaultPrinterClaim(spooler, prompter, std::move(saved).value(), workFolder);
}

DefaultPrinterClaim DefaultPrinterClaim::keep(Spooler& spooler, Prompter& prompter,
                                              SavedPrinter saved, const QString& workFolder)
{
    return DefaultPrinterClaim(spooler, prompter, std::move(saved), workFolder);
}

Status DefaultPrinterClaim::restore()
{
    if (m_pending) {
        m_pending = false;
        m_restored = RestoreDefaultPrinter(*m_spooler, *m_prompter, m_saved, m_workFolder);
    }
    return m_restored;
}
