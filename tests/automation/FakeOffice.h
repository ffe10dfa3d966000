#pragma once

#include "Office.h"

#include <QList>
#include <set>
#include <QString>

// The office as the servers' tests need it: records what it was asked, loads a
// file unless told not to, and prints only documents it holds.
class FakeOffice final : public Office
{
public:
    struct Load
    {
        QString path;
        QString filter;
    };
    struct Print
    {
        OfficeDocument document;
        QString printer;
    };

    Status checkInstalled(const QString& package) override
    {
        if (!installed)
            return Status::failure(
                QStringLiteral("LibreOffice (soffice) is not installed. Install the %1 package.")
                    .arg(package));
        return {};
    }

    Result<OfficeDocument> load(const QString& path, const QString& filter) override
    {
        loads.append({path, filter});
        if (!loadsFiles)
            return Status::failure(QStringLiteral("LibreOffice: source file could not be loaded"));
        open.insert(++m_next);
        return m_next;
    }

    Status print(OfficeDocument document, const QString& printer) override
    {
        prints.append({document, printer});
        if (!open.contains(document))
            return Status::failure(QStringLiteral("the document is no longer open"));
        return {};
    }

    void close(OfficeDocument document) override
    {
        closed.append(document);
        open.erase(document);
    }

    bool installed = true;
    bool loadsFiles = true;
    QList<Load> loads;
    QList<Print> prints;
    QList<OfficeDocument> closed;
    std::set<OfficeDocument> open;

private:
    OfficeDocument m_next = 0;
};
