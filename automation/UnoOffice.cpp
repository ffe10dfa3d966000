#include "UnoOffice.h"

#include "BackgroundProcess.h"
#include "InstanceLock.h"
#include "ProcessSearch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/view/XPrintable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <initializer_list>
#include <map>
#include <mutex>
#include <thread>

#include <unistd.h>

using namespace com::sun::star;
using com::sun::star::uno::Reference;

namespace {

using Clock = std::chrono::steady_clock;

// The exit status with which the office asks to be started again (after it has
// set up a new profile, say).
constexpr int RestartRequested = 81;

rtl::OUString toOUString(const QString& text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         static_cast<sal_Int32>(text.size()));
}

QString fromOUString(const rtl::OUString& text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.getStr()), text.getLength());
}

beans::PropertyValue property(const char* name, const uno::Any& value)
{
    beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

uno::Sequence<beans::PropertyValue> properties(std::initializer_list<beans::PropertyValue> values)
{
    return uno::Sequence<beans::PropertyValue>(values.begin(),
                                               static_cast<sal_Int32>(values.size()));
}

// The component context of this process, made once from the office's own type
// and service registries: all the client side of the pipe needs.
Result<Reference<uno::XComponentContext>> localContext(const QString& programFolder)
{
    static std::mutex guard;
    // Never released: the UNO libraries may be gone by the time static objects are
    // destroyed at exit.
    static auto* context = new Reference<uno::XComponentContext>();
    const std::lock_guard<std::mutex> lock(guard);
    if (context->is())
        return *context;
    try {
        const QString folder = QUrl::fromLocalFile(programFolder).toString(QUrl::FullyEncoded);
        rtl::Bootstrap::set(rtl::OUString("URE_MORE_TYPES"),
                            toOUString(folder + QStringLiteral("/types/offapi.rdb")));
        *context = cppu::defaultBootstrap_InitialComponentContext(
            toOUString(folder + QStringLiteral("/unorc")));
    } catch (const uno::Exception& e) {
        return Status::failure(QStringLiteral("the LibreOffice client cannot be set up: %1")
                                   .arg(fromOUString(e.Message)));
    }
    return *context;
}

// Kills the office's process group when a call into it takes longer than limit,
// so that a file on which the office hangs cannot stop the run: the call then fails.
class CallLimit
{
public:
    CallLimit(pid_t group, std::chrono::milliseconds limit)
        : m_watch([this, group, limit] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
                  m_expired = true;
                  ::kill(-group, SIGKILL);
              }
          })
    {
    }
    ~CallLimit()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_watch.join();
    }
    CallLimit(const CallLimit&) = delete;
    CallLimit& operator=(const CallLimit&) = delete;

    bool expired()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_expired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    bool m_expired = false;
    std::thread m_watch;
};

QString secondsOf(std::chrono::milliseconds limit)
{
    return QString::number(std::chrono::duration_cast<std::chrono::seconds>(limit).count());
}

struct HeldDocument
{
    QString path;
    QString filter;
    int generation = 0; // the office that holds it
    Reference<lang::XComponent> component;
};

QString describeEnd(const BackgroundProcess& process)
{
    const std::optional<int> status = process.exitStatus();
    if (!status)
        return QStringLiteral("stopped answering");
    if (*status > 128)
        return QStringLiteral("was ended by signal %1").arg(*status - 128);
    return QStringLiteral("ended with exit code %1").arg(*status);
}

} // namespace

struct UnoOffice::Impl
{
    LibreOfficeOptions options;
    std::optional<InstanceLock> profileLock;
    std::unique_ptr<BackgroundProcess> process;
    Reference<frame::XDesktop2> desktop;
    int generation = 0;
    std::map<OfficeDocument, HeldDocument> documents;
    OfficeDocument nextDocument = 0;
    QString lastEnd; // how the previous office ended, when it ended by itself

    QString profileUrl() const
    {
        return QUrl::fromLocalFile(options.profileFolder).toString(QUrl::FullyEncoded);
    }

    bool running() const { return process && desktop.is() && process->running(); }

    // Whether the office has ended or ends within limit: a broken connection is
    // followed by the end of its process.
    bool endedWithin(std::chrono::milliseconds limit)
    {
        const auto deadline = Clock::now() + limit;
        while (process->running()) {
            if (Clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    Status start();
    Status connect(const QString& pipe, const Reference<uno::XComponentContext>& local);
    void stop(std::chrono::milliseconds grace);
    Status ensureRunning();
    Result<Reference<lang::XComponent>> loadInOffice(const QString& path, const QString& filter);
};

Status UnoOffice::Impl::start()
{
    const Result<QString> folder =
        LibreOfficeProgramFolder(options.program, QStringLiteral("libreoffice-core"));
    if (!folder.ok())
        return folder.status();
    const Result<Reference<uno::XComponentContext>> local = localContext(folder.value());
    if (!local.ok())
        return local.status();

    const QString parent = QFileInfo(options.profileFolder).absolutePath();
    if (!QDir().mkpath(parent))
        return Status::failure(QStringLiteral("the folder %1 cannot be created").arg(parent));
    if (!profileLock) {
        Result<InstanceLock> lock = InstanceLock::acquireWithin(
            options.profileFolder + QStringLiteral(".lock"), options.lockLimit);
        if (!lock.ok()) {
            if (lock.status().code() == EWOULDBLOCK)
                return Status::failure(
                    QStringLiteral(
                        "another conversion kept LibreOffice busy for too long (profile %1)")
                        .arg(options.profileFolder));
            return lock.status();
        }
        profileLock.emplace(std::move(lock).value());
    }
    const QString profileArgument = QStringLiteral("-env:UserInstallation=") + profileUrl();
    if (const Status ended =
            EndProcessesWithArgument(QFile::encodeName(profileArgument), std::chrono::seconds(5));
        !ended.ok())
        return Status::failure(QStringLiteral("LibreOffice left on the profile %1: %2")
                                   .arg(options.profileFolder, ended.message()));
    std::vector<ProfileSetting> settings = WarmStartSettings(LibreOfficeVersion(folder.value()));
    settings.insert(settings.end(), options.settings.begin(), options.settings.end());
    if (const Status written = WriteProfileSettings(options.profileFolder, settings); !written.ok())
        return written;

    // The office program itself rather than its start script, so that the process we
    // start and reap is the office.
    const QString office = folder.value() + QStringLiteral("/soffice.bin");
    static std::atomic<int> pipes{0};
    const QString pipe =
        QStringLiteral("tabloria-%1-%2-%3").arg(::getuid()).arg(::getpid()).arg(++pipes);
    ProcessRequest request;
    request.arguments = {
        QFileInfo(office).isExecutable() ? office : options.program,
        profileArgument,
        QStringLiteral("--headless"),
        QStringLiteral("--invisible"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),
        QStringLiteral("--nodefault"),
        QStringLiteral("--nolockcheck"),
        QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe)};
    // They would override the printer the office is told to use.
    request.environment = {{QStringLiteral("PRINTER"), std::nullopt},
                           {QStringLiteral("LPDEST"), std::nullopt}};

    for (int attempt = 0;; ++attempt) {
        Result<std::unique_ptr<BackgroundProcess>> started = BackgroundProcess::start(request);
        if (!started.ok())
            return Status::failure(QStringLiteral("LibreOffice could not be started: %1")
                                       .arg(started.status().message()));
        process = std::move(started).value();
        const Status connected = connect(pipe, local.value());
        if (connected.ok()) {
            ++generation;
            return {};
        }
        if (attempt == 0 && !process->running() && process->exitStatus() == RestartRequested)
            continue;
        stop(std::chrono::milliseconds(0));
        return connected;
    }
}

Status UnoOffice::Impl::connect(const QString& pipe, const Reference<uno::XComponentContext>& local)
{
    const rtl::OUString url =
        toOUString(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe));
    const auto deadline = Clock::now() + options.startLimit;
    try {
        const Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(local);
        for (;;) {
            try {
                const Reference<uno::XComponentContext> remote(resolver->resolve(url),
                                                               uno::UNO_QUERY_THROW);
                desktop = frame::Desktop::create(remote);
                return {};
            } catch (const connection::NoConnectException&) {
            }
            if (!process->running())
                return Status::failure(
                    QStringLiteral("LibreOffice %1 during its start").arg(describeEnd(*process)));
            if (Clock::now() >= deadline)
                return Status::failure(
                    QStringLiteral("LibreOffice did not answer within %1 seconds of its start")
                        .arg(std::chrono::duration_cast<std::chrono::seconds>(options.startLimit)
                                 .count()));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } catch (const uno::Exception& e) {
        return Status::failure(
            QStringLiteral("LibreOffice cannot be reached: %1").arg(fromOUString(e.Message)));
    }
}

void UnoOffice::Impl::stop(std::chrono::milliseconds grace)
{
    for (auto& [id, document] : documents)
        document.component.clear();
    if (desktop.is() && process && process->running()) {
        try {
            desktop->terminate();
        } catch (const uno::Exception&) {
            // The office ends while it answers; the wait below covers it.
        }
    }
    desktop.clear();
    if (process) {
        process->end(grace);
        process.reset();
    }
}

Status UnoOffice::Impl::ensureRunning()
{
    if (running())
        return {};
    if (process) {
        lastEnd = describeEnd(*process);
        stop(std::chrono::milliseconds(0));
    }
    return start();
}

Result<Reference<lang::XComponent>> UnoOffice::Impl::loadInOffice(const QString& path,
                                                                  const QString& filter)
{
    const uno::Sequence<beans::PropertyValue> arguments = properties({
        property("Hidden", uno::Any(true)),
        property("ReadOnly", uno::Any(true)),
        property("FilterName", uno::Any(toOUString(filter))),
        // Never run a macro of a file we only print.
        property("MacroExecutionMode", uno::Any(sal_Int16(0))),
    });
    const QString url =
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    CallLimit limit(process->pid(), options.callLimit);
    try {
        Reference<lang::XComponent> component =
            Reference<frame::XComponentLoader>(desktop, uno::UNO_QUERY_THROW)
                ->loadComponentFromURL(toOUString(url), rtl::OUString("_blank"), 0, arguments);
        if (!component.is())
            return Status::failure(QStringLiteral("LibreOffice: source file could not be loaded"));
        return component;
    } catch (const uno::RuntimeException& e) {
        if (limit.expired())
            return Status::failure(QStringLiteral("LibreOffice did not load it within %1 seconds "
                                                  "and was ended")
                                       .arg(secondsOf(options.callLimit)));
        if (endedWithin(std::chrono::seconds(1)))
            return Status::failure(
                QStringLiteral("LibreOffice %1 while loading it").arg(describeEnd(*process)));
        return Status::failure(QStringLiteral("LibreOffice: source file could not be loaded: %1")
                                   .arg(fromOUString(e.Message)));
    } catch (const uno::Exception& e) {
        return Status::failure(QStringLiteral("LibreOffice: source file could not be loaded: %1")
                                   .arg(fromOUString(e.Message)));
    }
}

UnoOffice::UnoOffice(LibreOfficeOptions options) : d(std::make_unique<Impl>())
{
    d->options = std::move(options);
    if (d->options.profileFolder.isEmpty())
        d->options.profileFolder = DefaultLibreOfficeProfile();
    d->options.profileFolder = QDir::cleanPath(QDir(d->options.profileFolder).absolutePath());
}

UnoOffice::~UnoOffice()
{
    end();
}

Status UnoOffice::checkInstalled(const QString& package)
{
    const Result<QString> folder = LibreOfficeProgramFolder(d->options.program, package);
    return folder.ok() ? Status() : folder.status();
}

Result<OfficeDocument> UnoOffice::load(const QString& path, const QString& filter)
{
    if (const Status ready = d->ensureRunning(); !ready.ok())
        return ready;
    Result<Reference<lang::XComponent>> component = d->loadInOffice(path, filter);
    if (!component.ok())
        return component.status();
    const OfficeDocument id = ++d->nextDocument;
    d->documents[id] = {path, filter, d->generation, std::move(component).value()};
    return id;
}

Status UnoOffice::print(OfficeDocument document, const QString& printer)
{
    const auto found = d->documents.find(document);
    if (found == d->documents.end())
        return Status::failure(QStringLiteral("the document is no longer open"));
    HeldDocument& held = found->second;
    if (held.generation != d->generation || !d->running()) {
        const QString how = d->process ? describeEnd(*d->process) : d->lastEnd;
        return Status::failure(
            QStringLiteral("LibreOffice %1 after %2 was loaded, so it was not printed")
                .arg(how.isEmpty() ? QStringLiteral("ended") : how, held.path));
    }

    const uno::Sequence<beans::PropertyValue> wanted =
        properties({property("Name", uno::Any(toOUString(printer)))});
    for (int attempt = 0;; ++attempt) {
        CallLimit limit(d->process->pid(), d->options.callLimit);
        try {
            const Reference<view::XPrintable> printable(held.component, uno::UNO_QUERY_THROW);
            printable->setPrinter(wanted);
            QString taken;
            for (const beans::PropertyValue& value : printable->getPrinter()) {
                rtl::OUString name;
                if (value.Name == "Name" && (value.Value >>= name))
                    taken = fromOUString(name);
            }
            if (taken == printer) {
                printable->print(properties({property("Wait", uno::Any(true))}));
                return {};
            }
            if (attempt > 0)
                return Status::failure(
                    QStringLiteral(
                        "LibreOffice does not know the printer \"%1\" (it would print on \"%2\")")
                        .arg(printer, taken));
        } catch (const uno::Exception& e) {
            if (limit.expired())
                return Status::failure(
                    QStringLiteral("LibreOffice did not print %1 within %2 seconds and was ended")
                        .arg(held.path, secondsOf(d->options.callLimit)));
            if (d->endedWithin(std::chrono::seconds(1)))
                return Status::failure(QStringLiteral("LibreOffice %1 while printing %2")
                                           .arg(describeEnd(*d->process), held.path));
            return Status::failure(QStringLiteral("LibreOffice could not print %1: %2")
                                       .arg(held.path, fromOUString(e.Message)));
        }
        // An office reads the printers when it starts: a new one knows a printer
        // that was set up since.
        d->stop(std::chrono::seconds(5));
        if (const Status started = d->start(); !started.ok())
            return started;
        Result<Reference<lang::XComponent>> reloaded = d->loadInOffice(held.path, held.filter);
        if (!reloaded.ok())
            return reloaded.status();
        held.component = std::move(reloaded).value();
        held.generation = d->generation;
    }
}

void UnoOffice::close(OfficeDocument document)
{
    const auto found = d->documents.find(document);
    if (found == d->documents.end())
        return;
    HeldDocument held = std::move(found->second);
    d->documents.erase(found);
    if (held.generation != d->generation || !d->running() || !held.component.is())
        return;
    try {
        const Reference<util::XCloseable> closeable(held.component, uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            held.component->dispose();
    } catch (const uno::Exception&) {
        // A document that will not close goes with the office at the end of the run.
    }
}

void UnoOffice::end()
{
    for (auto& [id, held] : d->documents) {
        if (held.generation == d->generation && d->running() && held.component.is()) {
            try {
                Reference<util::XCloseable>(held.component, uno::UNO_QUERY_THROW)->close(true);
            } catch (const uno::Exception&) {
            }
        }
    }
    d->documents.clear();
    d->stop(std::chrono::seconds(5));
    d->profileLock.reset();
}

std::optional<pid_t> UnoOffice::processId() const
{
    if (!d->process)
        return std::nullopt;
    return d->process->pid();
}

const QString& UnoOffice::profileFolder() const
{
    return d->options.profileFolder;
}
