#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// A private temporary folder (mode 0700) that is removed with the object.
class ScratchFolder
{
public:
    ScratchFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// A one-page PostScript program with a line of text and a 160 x 160 colour image of
// noise (deterministic), enough for JPEG settings to show in the file size.
QByteArray samplePostScript(const QString& title = QStringLiteral("Printed title"));

struct CommandOutput
{
    int exitCode = -1;
    QString output;
};

// What the printer backend records beside the spool file for a finished job.
QByteArray PrintJobRecordText(int job, const QString& user);

// Runs a checking tool (pdfinfo, qpdf, ...) and returns what it printed.
CommandOutput runTool(const QStringList& arguments);

// The source tree, for fixtures under tests/data.
QString sourceDir();
