#pragma once

#include "Dispatch.h"
#include "Office.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class AutomationRegistry;
class Spooler;

// What the office servers over LibreOffice have in common: how a call fails, how
// arguments are counted and files recognised, and the session their objects share.
namespace OfficeServer {

// A failed call: DISP_E_EXCEPTION unless another code is given.
Status failure(const QString& message, quint32 code = DISP_E_EXCEPTION);
// "<what> is not supported", E_NOTIMPL: a request the server refuses rather than ignores.
Status notSupported(const QString& what);

// Fills left-out trailing arguments up to count with missing ones. Fails with
// message (DISP_E_BADPARAMCOUNT) when there are fewer than minimum or more than count.
Status padArguments(QList<Variant>& arguments, int minimum, int count, const QString& message);

// The first size bytes of the file at path, or why it cannot be read.
Result<QByteArray> readHead(const QString& path, qint64 size);
// The zip container of the 2007 formats (.xlsx, .docx, .pptx).
bool isZipContainer(const QByteArray& head);
// The compound file of the 97 formats (.xls, .doc, .ppt).
bool isCompoundFile(const QByteArray& head);

// The names a server uses in its messages.
struct Names
{
    QString server;   // "the <server> server has quit"
    QString openedAs; // "<file> could not be opened as <openedAs>"
};

// What a server's objects share: the office of the run, the spooler, the documents
// the server opened and whether Quit has been called.
class Session
{
public:
    Session(Office& office, Spooler& spooler, Names names);
    virtual ~Session() = default;

    Office& office;
    Spooler& spooler;
    bool quit = false;

    // Fails once Quit has been called.
    Status checkRunning() const;

    // Loads source with filter, hidden and read-only: a document of this server.
    Result<OfficeDocument> load(const QString& source, const QString& filter);

    // The user's default printer at the moment of the call; fails when there is none.
    Result<QString> defaultPrinter();

    // Prints document on printer: the answer of a PrintOut.
    Result<Variant> print(OfficeDocument document, const QString& printer);

    // Quit: closes the documents of the server. The office stays for the run.
    Status end();

    // The application released: the documents of the server are closed.
    void release();

private:
    void closeDocuments();

    Names m_names;
    QList<OfficeDocument> m_documents;
};

// An object of a server that answers one method, e.g. Workbooks.Add or
// Document.PrintOut, and fails once the server has quit. SessionType is the
// server's own session.
template <class SessionType> class MethodObject : public Dispatch
{
public:
    MethodObject(DispId method, std::shared_ptr<SessionType> session)
        : m_session(std::move(session)), m_method(method)
    {
    }

    Result<Variant> Invoke(DispId member, DispatchKind kind, const QList<Variant>& arguments) final
    {
        if (member != m_method || kind != DispatchKind::Method)
            return memberNotFound(member, kind);
        if (const Status running = m_session->checkRunning(); !running.ok())
            return running;
        return call(arguments);
    }

protected:
    // The method, called while the server runs.
    virtual Result<Variant> call(QList<Variant> arguments) = 0;

    std::shared_ptr<SessionType> m_session;

private:
    DispId m_method;
};

// The application object of a server: it gives the server's collection (Workbooks,
// Documents, Presentations), fails once the server has quit and, released without
// Quit, leaves no document of the server open.
template <class SessionType, class CollectionType> class ApplicationObject : public Dispatch
{
public:
    explicit ApplicationObject(std::shared_ptr<SessionType> session)
        : m_session(std::move(session)), m_collection(std::make_shared<CollectionType>(m_session))
    {
    }

    ~ApplicationObject() override { m_session->release(); }

    Result<Variant> Invoke(DispId member, DispatchKind kind, const QList<Variant>& arguments) final
    {
        if (const Status running = m_session->checkRunning(); !running.ok())
            return running;
        return invokeRunning(member, kind, arguments);
    }

protected:
    // A member, called while the server runs.
    virtual Result<Variant> invokeRunning(DispId member, DispatchKind kind,
                                          const QList<Variant>& arguments) = 0;

    // Ends the server, as Quit does.
    Result<Variant> endServer()
    {
        if (const Status ended = m_session->end(); !ended.ok())
            return ended;
        return Variant();
    }

    std::shared_ptr<SessionType> m_session;
    std::shared_ptr<CollectionType> m_collection;
};

// The Visible property put of the word processor and spreadsheet servers: one VT_BOOL.
Status putVisibleFlag(const QList<Variant>& arguments, bool& visible);

// Registers a server under progId. Creating it first checks that the office is
// installed, and fails naming package when it is not; then create makes it.
void registerServer(AutomationRegistry& registry, const QString& progId, Office& office,
                    const QString& package, std::function<std::shared_ptr<Dispatch>()> create);

} // namespace OfficeServer
