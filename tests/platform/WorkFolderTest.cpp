#include "WorkFolder.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string s(const QString& q)
{
    return QFile::encodeName(q).toStdString();
}

TEST(WorkFolderTest, PrefersTheUsersRuntimeFolder)
{
    ScratchFolder scratch;
    const QString runtime = scratch.file(QStringLiteral("run"));
    const uid_t me = ::getuid();
    QDir().mkpath(runtime + QStringLiteral("/%1").arg(me));
    EXPECT_EQ(WorkFolder::pathFor(me, s(runtime), "/tmp"),
              s(runtime) + "/" + std::to_string(me) + "/tabloria");
    EXPECT_EQ(WorkFolder::pathFor(me + 1, s(runtime), "/tmp"),
              "/tmp/tabloria-" + std::to_string(me + 1));
    // A link in place of the runtime folder does not count.
    QFile::link(runtime + QStringLiteral("/%1").arg(me),
                runtime + QStringLiteral("/%1").arg(me + 2));
    EXPECT_EQ(WorkFolder::pathFor(me + 2, s(runtime), "/x"),
              "/x/tabloria-" + std::to_string(me + 2));
}

TEST(WorkFolderTest, EnsureCreatesAPrivateFolderAndChecksIt)
{
    ScratchFolder scratch;
    const std::string folder = s(scratch.file(QStringLiteral("w")));
    const PlainStatus created = WorkFolder::ensure(::getuid(), folder);
    ASSERT_TRUE(created.ok()) << created.message();
    struct stat st
    {
    };
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(WorkFolder::ensure(::getuid(), folder).ok());

    ::chmod(folder.c_str(), 0750);
    EXPECT_FALSE(WorkFolder::check(::getuid(), folder).ok());
    ::chmod(folder.c_str(), 0700);
    EXPECT_FALSE(WorkFolder::check(::getuid() + 1, folder).ok());

    const std::string file = s(scratch.file(QStringLiteral("f")));
    writeFile(QString::fromStdString(file), "x");
    EXPECT_NE(WorkFolder::ensure(::getuid(), file).message().find("is not a folder"),
              std::string::npos);
}

} // namespace
