// tabloria-convert as its users start it: the real program, the real LibreOffice,
// CUPS, Ghostscript; every PDF read back with pdfinfo and qpdf.
#include "CupsSpooler.h"
#include "PosixProcessRunner.h"
#include "PrintContract.h"
#include "WorkFolder.h"

#include "E2eSupport.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <atomic>
#include <pwd.h>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral(TABLORIA_CONVERT);

struct ProgramRun
{
    int exitCode = -1;
    QString output;
};

ProgramRun convert(const QStringList& arguments, std::vector<std::pair<QString, std::optional<QString>>> environment = {},
            const QStringList& prefix = {})
{
    PosixProcessRunner runner;
    ProcessRequest request;
    request.arguments = prefix + QStringList{Program} + arguments;
    request.environment = std::move(environment);
    request.timeout = std::chrono::minutes(5);
    const ProcessOutcome outcome = runner.RunAndWait(request);
    return {outcome.succeeded() ? 0 : outcome.exitCode, QString::fromUtf8(outcome.output)};
}

class CommandLineTest : public E2eTest
{
protected:
    void SetUp() override
    {
        E2eTest::SetUp();
        out = scratch.file(QStringLiteral("out"));
        QDir().mkpath(out);
    }

    ScratchFolder scratch;
    QString out;
};

TEST_F(CommandLineTest, MixedBatchHonoursEveryOption)
{
    const ProgramRun run = convert({QStringLiteral("-o"), out, QStringLiteral("--title"), QStringLiteral("Year (end)"),
                             QStringLiteral("--subject"), QStringLiteral("Figures"), QStringLiteral("--author"),
                             QStringLiteral("Anne Ökonom"), QStringLiteral("--keywords"), QStringLiteral("sales budget"),
                             QStringLiteral("--owner-password"), QStringLiteral("own \"er\""),
                             QStringLiteral("--user-password"), QStringLiteral("open me"), QStringLiteral("--no-print"),
                             QStringLiteral("--no-copy"), QStringLiteral("--encryption"), QStringLiteral("high"),
                             QStringLiteral("--compression"), QStringLiteral("lzw"), QStringLiteral("--images"),
                             QStringLiteral("jpeg"), QStringLiteral("--jpeg-quality"), QStringLiteral("maximum"),
                             QStringLiteral("--pdf-version"), QStringLiteral("1.5"), fixture("one sheet.xlsx"),
                             fixture("photo.png"), fixture("budget.xls")});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    for (const char* name : {"one sheet.pdf", "photo.pdf", "budget.pdf"}) {
        SCOPED_TRACE(name);
        const QString pdf = out + QLatin1Char('/') + QString::fromUtf8(name);
        EXPECT_TRUE(run.output.contains(QStringLiteral("converted: ") + pdf)) << run.output.toStdString();
        const QString info =
            runTool({QStringLiteral("pdfinfo"), QStringLiteral("-upw"), QStringLiteral("open me"), pdf}).output;
        EXPECT_TRUE(info.contains(QStringLiteral("Title:           Year (end)\n"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Subject:         Figures\n")));
        EXPECT_TRUE(info.contains(QStringLiteral("Author:          Anne Ökonom\n")));
        EXPECT_TRUE(info.contains(QStringLiteral("Keywords:        sales budget\n")));
        EXPECT_TRUE(info.contains(QStringLiteral("PDF version:     1.5\n")));
        const QString encryption = runTool({QStringLiteral("qpdf"), QStringLiteral("--password=own \"er\""),
                                            QStringLiteral("--show-encryption"), pdf})
                                       .output;
        EXPECT_TRUE(encryption.contains(QStringLiteral("R = 3\n"))) << encryption.toStdString();
        EXPECT_TRUE(encryption.contains(QStringLiteral("P = -2544\n"))) << encryption.toStdString();
        EXPECT_NE(runTool({QStringLiteral("qpdf"), QStringLiteral("--check"), pdf}).exitCode, 0);
    }
    // No clear-text copy of the documents, and no password, stays in the work folder.
    QStringList work = QDir(UserWorkFolder()).entryList(QDir::Files | QDir::Hidden);
    work.removeAll(QStringLiteral("conversion.lock"));
    work.removeAll(QStringLiteral("Tabloria"));
    EXPECT_EQ(work, QStringList());
}

// Without a description the PDF is titled after its source file and written by the
// user, never with the printed job's internal name.
TEST_F(CommandLineTest, EmptyDescriptionGivesFileNameAndUser)
{
    const QString report = scratch.file(QStringLiteral("報告.xlsx"));
    ASSERT_TRUE(QFile::copy(fixture("one sheet.xlsx"), report));
    const ProgramRun run = convert({QStringLiteral("-o"), out, fixture("budget.xls"), report, fixture("photo.png")});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    const passwd* me = ::getpwuid(::getuid());
    const QString gecos = QString::fromLocal8Bit(me->pw_gecos).section(QLatin1Char(','), 0, 0).trimmed();
    const QString user = gecos.isEmpty() ? QString::fromLocal8Bit(me->pw_name) : gecos;
    for (const char* name : {"budget.xls", "報告.xlsx", "photo.png"}) {
        SCOPED_TRACE(name);
        const QString pdf = out + QLatin1Char('/') + QString::fromUtf8(name).section(QLatin1Char('.'), 0, 0) +
                            QStringLiteral(".pdf");
        const QString info = runTool({QStringLiteral("pdfinfo"), pdf}).output;
        EXPECT_TRUE(info.contains(QStringLiteral("Title:           %1\n").arg(QString::fromUtf8(name)))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Author:          %1\n").arg(user))) << info.toStdString();
    }
}

TEST_F(CommandLineTest, ExistingPdfIsKeptWithoutOverwrite)
{
    writeFile(out + QStringLiteral("/budget.pdf"), "mine");
    ProgramRun run = convert({QStringLiteral("-o"), out, fixture("budget.xls")});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("kept: ") + out + QStringLiteral("/budget.pdf")));
    EXPECT_EQ(readFile(out + QStringLiteral("/budget.pdf")), "mine");

    run = convert({QStringLiteral("--overwrite"), QStringLiteral("-o"), out, fixture("budget.xls")});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(readFile(out + QStringLiteral("/budget.pdf")).startsWith("%PDF"));
}

TEST_F(CommandLineTest, ClearErrors)
{
    ProgramRun run = convert({QStringLiteral("-o"), out, fixture("missing.xlsx"), fixture("corrupt.xlsx"), fixture("photo.png")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains(QStringLiteral("failed: %1: the file does not exist").arg(fixture("missing.xlsx"))))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("failed: %1: ").arg(fixture("corrupt.xlsx"))));
    EXPECT_TRUE(run.output.contains(QStringLiteral("converted: %1/photo.pdf").arg(out)));

    run = convert({QStringLiteral("-o"), scratch.file(QStringLiteral("nowhere")), fixture("photo.png")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains(QStringLiteral("does not exist"))) << run.output.toStdString();

    // Two inputs that would make the same PDF: refused before anything is converted.
    ASSERT_TRUE(QFile::copy(fixture("photo.png"), scratch.file(QStringLiteral("photo.png"))));
    run = convert({QStringLiteral("--overwrite"), QStringLiteral("-o"), out, fixture("photo.png"), fixture("budget.xls"),
                   scratch.file(QStringLiteral("photo.png"))});
    EXPECT_EQ(run.exitCode, 2) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("these files would all become %1/photo.pdf: %2, %3")
                                        .arg(out, fixture("photo.png"), scratch.file(QStringLiteral("photo.png")))))
        << run.output.toStdString();
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/budget.pdf")));

    run = convert({QStringLiteral("--user-password"), QStringLiteral("x"), fixture("photo.png")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.output.contains(QStringLiteral("needs an owner password"))) << run.output.toStdString();

    // Without LibreOffice and Ghostscript on the PATH.
    run = convert({QStringLiteral("--overwrite"), QStringLiteral("-o"), out, fixture("one sheet.xlsx"), fixture("photo.png")},
                  {{QStringLiteral("PATH"), scratch.file(QStringLiteral("empty"))}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains(QStringLiteral("无法启动Excel服务器!"))) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("Install the libreoffice-calc package")));
    EXPECT_TRUE(run.output.contains(QStringLiteral("Install the ghostscript package"))) << run.output.toStdString();
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/one sheet.pdf")));
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/photo.pdf"))) << "the earlier PDF stays";
}

// Whether picture is source, or source enlarged by a whole number, pixel for pixel.
bool samePixels(const QImage& source, const QImage& picture)
{
    if (source.width() == 0 || picture.width() % source.width() != 0 || picture.height() % source.height() != 0)
        return false;
    const int kx = picture.width() / source.width(), ky = picture.height() / source.height();
    if (kx != ky)
        return false;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != source.pixel(x / kx, y / ky))
                return false;
    return true;
}

// "Flate" keeps a picture lossless from the file to the PDF, also one that came as
// JPEG; "JPEG" still compresses it as JPEG.
TEST_F(CommandLineTest, FlatePicturesComeBackPixelForPixel)
{
    QImage noise(61, 47, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            noise.setPixel(x, y, 0xFF000000u | (state >> 8));
        }
    const QString png = scratch.file(QStringLiteral("noise.png")), jpg = scratch.file(QStringLiteral("grain.jpg"));
    ASSERT_TRUE(noise.save(png));
    ASSERT_TRUE(noise.save(jpg, "JPEG", 60));

    ProgramRun run = convert({QStringLiteral("--images"), QStringLiteral("flate"), QStringLiteral("-o"), out, png, jpg});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    for (const QString& source : {png, jpg}) {
        SCOPED_TRACE(source.toStdString());
        const QString pdf = out + QLatin1Char('/') + QFileInfo(source).completeBaseName() + QStringLiteral(".pdf");
        const QString list = runTool({QStringLiteral("pdfimages"), QStringLiteral("-list"), pdf}).output;
        EXPECT_FALSE(list.contains(QStringLiteral("jpeg"))) << list.toStdString();
        const QString prefix = scratch.file(QFileInfo(source).completeBaseName());
        ASSERT_EQ(runTool({QStringLiteral("pdfimages"), QStringLiteral("-png"), pdf, prefix}).exitCode, 0);
        const QImage extracted(prefix + QStringLiteral("-000.png"));
        ASSERT_FALSE(extracted.isNull()) << list.toStdString();
        EXPECT_TRUE(samePixels(QImage(source).convertToFormat(QImage::Format_RGB32),
                               extracted.convertToFormat(QImage::Format_RGB32)))
            << extracted.width() << "x" << extracted.height();
    }

    run = convert({QStringLiteral("--overwrite"), QStringLiteral("--images"), QStringLiteral("jpeg"), QStringLiteral("-o"),
                   out, png});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(runTool({QStringLiteral("pdfimages"), QStringLiteral("-list"), out + QStringLiteral("/noise.pdf")})
                    .output.contains(QStringLiteral("jpeg")));
}

// A user other than root: the spool file is theirs with mode 0600, and an output
// folder they cannot write to is refused before anything is converted.
TEST_F(CommandLineTest, AnotherUserConvertsAWorkbook)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to create a test user";
    const QString user = QStringLiteral("tabloria-tc");
    const QString home = scratch.file(QStringLiteral("home"));
    runTool({QStringLiteral("userdel"), user});
    ASSERT_EQ(runTool({QStringLiteral("useradd"), QStringLiteral("--system"), QStringLiteral("--home-dir"), home,
                       QStringLiteral("--create-home"), QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"), user})
                  .exitCode,
              0);
    const passwd* entry = ::getpwnam(user.toLocal8Bit().constData());
    ASSERT_NE(entry, nullptr);
    const uid_t uid = entry->pw_uid;
    ::chmod(QFile::encodeName(scratch.path()).constData(), 0755);
    const QString theirs = scratch.file(QStringLiteral("theirs"));
    QDir().mkpath(theirs);
    ::chown(QFile::encodeName(theirs).constData(), uid, entry->pw_gid);
    // The program must be reachable by the user, wherever the build lives.
    const QString program = scratch.file(QStringLiteral("tabloria-convert"));
    ASSERT_TRUE(QFile::copy(Program, program));
    ::chmod(QFile::encodeName(program).constData(), 0755);

    PosixProcessRunner runner;
    auto asUser = [&](const QStringList& args) {
        ProcessRequest request;
        request.arguments = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), user, QStringLiteral("--"),
                                        program} + args;
        request.environment = {{QStringLiteral("HOME"), home}, {QStringLiteral("XDG_CACHE_HOME"), std::nullopt},
                               {QStringLiteral("XDG_RUNTIME_DIR"), std::nullopt}};
        request.timeout = std::chrono::minutes(5);
        return runner.RunAndWait(request);
    };

    // The passwords come from files of the user's; meanwhile every process's
    // arguments are read, as any local user can, and none may show them.
    const QString ownerFile = theirs + QStringLiteral("/owner"), userFile = theirs + QStringLiteral("/user");
    writeFile(ownerFile, "Owner Geheim 42\n");
    writeFile(userFile, "User Geheim 42\n");
    for (const QString& f : {ownerFile, userFile}) {
        ::chown(QFile::encodeName(f).constData(), uid, entry->pw_gid);
        ::chmod(QFile::encodeName(f).constData(), 0600);
    }
    std::atomic<bool> running{true};
    std::atomic<int> sightings{0}, scans{0};
    std::thread reader([&]() {
        while (running) {
            for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
                if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains("Geheim"))
                    ++sightings;
            }
            ++scans;
        }
    });
    ProcessOutcome run = asUser({QStringLiteral("-o"), theirs, QStringLiteral("--owner-password-file"), ownerFile,
                                 QStringLiteral("--user-password-file"), userFile, fixture("one sheet.xlsx")});
    running = false;
    reader.join();
    EXPECT_TRUE(run.succeeded()) << run.output.toStdString();
    EXPECT_EQ(sightings, 0);
    EXPECT_GT(scans, 10);
    const QString pdf = theirs + QStringLiteral("/one sheet.pdf");
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(QFileInfo(pdf).ownerId(), uid);
    EXPECT_TRUE(runTool({QStringLiteral("qpdf"), QStringLiteral("--password=Owner Geheim 42"),
                         QStringLiteral("--show-encryption"), pdf})
                    .output.contains(QStringLiteral("User password = User Geheim 42\n")));

    // The spool file went with the conversion; the work folder is still private.
    const QString folder = QString::fromStdString(WorkFolder::pathFor(uid));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/tmp.ps")));
    struct stat st{};
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &st), 0) << folder.toStdString();
    EXPECT_EQ(st.st_uid, uid);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    run = asUser({QStringLiteral("-o"), out, fixture("photo.png")}); // out belongs to root, mode 0755
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(run.output).contains(QStringLiteral("no permission to write"))) << run.output.toStdString();

    runTool({QStringLiteral("pkill"), QStringLiteral("-KILL"), QStringLiteral("-u"), user});
    runTool({QStringLiteral("rm"), QStringLiteral("-rf"), QString::fromStdString(WorkFolder::pathFor(uid))});
    EXPECT_EQ(runTool({QStringLiteral("userdel"), user}).exitCode, 0);
}

} // namespace
