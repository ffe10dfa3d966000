#include "InstanceLock.h"

#include "TestFiles.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    ScratchFolder scratch;
    const QString path = scratch.file(QStringLiteral("Tabloria"));
    {
        Result<InstanceLock> first = InstanceLock::acquire(path, InstanceLock::Mode::TryOnce);
        ASSERT_TRUE(first.ok()) << first.status().message().toStdString();
        const Result<InstanceLock> second =
            InstanceLock::acquire(path, InstanceLock::Mode::TryOnce);
        EXPECT_FALSE(second.ok());
        EXPECT_EQ(second.status().code(), EWOULDBLOCK);
    }
    EXPECT_TRUE(InstanceLock::acquire(path, InstanceLock::Mode::TryOnce).ok());

    const QString link = scratch.file(QStringLiteral("link"));
    QFile::link(scratch.file(QStringLiteral("elsewhere")), link);
    EXPECT_FALSE(InstanceLock::acquire(link, InstanceLock::Mode::TryOnce).ok());
    EXPECT_FALSE(QFile::exists(scratch.file(QStringLiteral("elsewhere"))));
}

} // namespace
