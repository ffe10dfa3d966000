#include "CupsSpooler.h"

#include <cups/cups.h>

#include <QByteArray>

namespace {

QString destName(const cups_dest_t* dest)
{
    QString name = QString::fromUtf8(dest->name);
    if (dest->instance)
        name += QLatin1Char('/') + QString::fromUtf8(dest->instance);
    return name;
}

Status serviceRunning()
{
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                5000, nullptr);
    if (!http)
        return Status::failure(
            QStringLiteral("The print service (CUPS) is not running: start it (as root: "
                           "\"systemctl start cups\", or \"cupsd\" where there is no service "
                           "manager), then try again."));
    httpClose(http);
    return {};
}

QString unknownPrinterText(const QString& name)
{
    return QStringLiteral("The printer \"%1\" is not known to CUPS. Run Kelvane as root to set up "
                          "the printer, then "
                          "try again.")
        .arg(name);
}

} // namespace

Status CupsSpooler::checkPrinter(const QString& name)
{
    if (Status running = serviceRunning(); !running.ok())
        return running;
    const QByteArray printer = name.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.constData(), nullptr);
    if (!dest)
        return Status::failure(unknownPrinterText(name));
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const char* accepting =
        cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool paused = state && QByteArray(state).toInt() == IPP_PSTATE_STOPPED;
    const bool rejecting = accepting && QByteArray(accepting) == "false";
    cupsFreeDests(1, dest);
    if (rejecting)
        return Status::failure(
            QStringLiteral("The printer \"%1\" rejects jobs: run cupsaccept %1 (as root), then "
                           "try again")
                .arg(name));
    if (paused)
        return Status::failure(
            QStringLiteral("The printer \"%1\" is paused: run cupsenable %1").arg(name));
    return {};
}

Result<SavedPrinter> CupsSpooler::defaultPrinter()
{
    if (Status running = serviceRunning(); !running.ok())
        return running;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests(&dests);
    SavedPrinter saved;
    if (const cups_dest_t* dest = cupsGetDest(nullptr, nullptr, count, dests))
        saved = destName(dest);
    cupsFreeDests(count, dests);
    return saved;
}

Status CupsSpooler::setDefaultPrinter(const SavedPrinter& name)
{
    if (Status running = serviceRunning(); !running.ok())
        return running;
    cups_dest_t* dests = nullptr;
    int count = cupsGetDests(&dests);

    QByteArray printer;
    QByteArray instance;
    if (name) {
        const qsizetype slash = name->indexOf(QLatin1Char('/'));
        printer = (slash < 0 ? *name : name->left(slash)).toUtf8();
        if (slash >= 0)
            instance = name->mid(slash + 1).toUtf8();
        if (!cupsGetDest(printer.constData(), instance.isEmpty() ? nullptr : instance.constData(), count, dests)) {
            cupsFreeDests(count, dests);
            return Status::failure(unknownPrinterText(*name));
        }
    }

    if (!name && count == 0) {
        // No destination at all: there is no default to clear.
        cupsFreeDests(count, dests);
        return {};
    }
    for (int i = 0; i < count; ++i)
        dests[i].is_default = 0;
    if (name) {
        count = cupsAddDest(printer.constData(), instance.isEmpty() ? nullptr : instance.constData(), count, &dests);
        if (cups_dest_t* dest = cupsGetDest(printer.constData(), instance.isEmpty() ? nullptr : instance.constData(),
                                            count, dests))
            dest->is_default = 1;
    }
    const int rc = cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests);
    cupsFreeDests(count, dests);
    if (rc != 0)
        return Status::failure(QStringLiteral("The default printer could not be saved: %1")
                                   .arg(QString::fromUtf8(cupsLastErrorString())));
    return {};
}
