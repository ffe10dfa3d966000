#include "TestFiles.h"

#include "PosixProcessRunner.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdint>

ScratchFolder::ScratchFolder()
{
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray samplePostScript(const QString& title)
{
    constexpr int side = 160;
    QByteArray ps =
        "%!PS-Adobe-3.0\n%%Title: " + title.toUtf8() +
        "\n%%Pages: 1\n%%EndComments\n%%Page: 1 1\n"
        "/Helvetica findfont 24 scalefont setfont 72 720 moveto (Tabloria sample page) show\n"
        "gsave 72 300 translate 320 320 scale\n"
        "160 160 8 [160 0 0 -160 0 160] currentfile /ASCIIHexDecode filter false 3 colorimage\n";
    std::uint32_t seed = 12345;
    QByteArray line;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 0x3F);
            const int r = (x * 255 / side + noise) & 0xFF;
            const int g = (y * 255 / side + noise) & 0xFF;
            const int b = (255 - x * 255 / side + noise) & 0xFF;
            line += QByteArray::number(r, 16).rightJustified(2, '0') +
                    QByteArray::number(g, 16).rightJustified(2, '0') +
                    QByteArray::number(b, 16).rightJustified(2, '0');
        }
        ps += line + "\n";
        line.clear();
    }
    ps += ">\ngrestore\nshowpage\n%%EOF\n";
    return ps;
}

CommandOutput runTool(const QStringList& arguments)
{
    PosixProcessRunner runner;
    ProcessRequest request;
    request.arguments = arguments;
    request.timeout = std::chrono::seconds(60);
    const ProcessOutcome outcome = runner.RunAndWait(request);
    return {outcome.started() && !outcome.timedOut ? outcome.exitCode : -1,
            QString::fromUtf8(outcome.output)};
}

QString sourceDir()
{
    return QStringLiteral(TABLORIA_SOURCE_DIR);
}

QByteArray PrintJobRecordText(int job, const QString& user)
{
    return QStringLiteral("job-id=%1\nuser=%2\ntitle=book.ods\n").arg(job).arg(user).toUtf8();
}
