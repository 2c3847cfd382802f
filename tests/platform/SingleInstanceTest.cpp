#include "platform/SingleInstance.h"
#include "support/ForkedChild.h"
#include "support/TempDir.h"

#include <QFile>
#include <QSysInfo>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tobimaru;
using tobimaru::test::ForkedChild;
using tobimaru::test::TempDir;

namespace {

QByteArray LockText(qint64 pid, const QByteArray& host, const QByteArray& boot) {
    return QByteArray::number(pid) + "\nTobimaruMe\n" + host + '\n' + QSysInfo::machineUniqueId() + '\n' +
           boot + '\n';
}

QByteArray ThisHost() {
    return QSysInfo::machineHostName().toUtf8();
}

QByteArray FirstLine(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed() : QByteArray();
}

} // namespace

TEST(SingleInstance, ALockThatNamesNoLiveCopyHereIsTakenOver) {
    ForkedChild live([] { ::pause(); }); // a live process of this very program
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"empty", ""},
        {"another host", LockText(live.pid(), "elsewhere.example", QSysInfo::bootUniqueId())},
        {"a process that is gone", LockText(2147483000, ThisHost(), "")},
        {"a live process of another program", LockText(1, ThisHost(), QSysInfo::bootUniqueId())},
        {"before the last boot", LockText(live.pid(), ThisHost(), "00000000-0000-0000-0000-000000000000")},
        {"no lock text at all", "\x01\x02 not a number\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString lock = dir.write("TobimaruMe.lock", c.content);
        SingleInstance instance(lock);
        EXPECT_TRUE(instance.acquire()) << c.name;
        EXPECT_EQ(instance.outcome(), SingleInstance::Outcome::Acquired) << c.name;
        EXPECT_EQ(FirstLine(lock), QByteArray::number(::getpid())) << c.name;
    }
    TempDir dir;
    SingleInstance fresh(dir.file("run/user/TobimaruMe.lock"));
    EXPECT_TRUE(fresh.acquire()) << "a missing folder is made";
}

TEST(SingleInstance, ALiveCopyKeepsItsLock) {
    TempDir dir;
    const QString lock = dir.file("TobimaruMe.lock");
    {
        SingleInstance first(lock);
        ASSERT_TRUE(first.acquire());
        SingleInstance second(lock);
        EXPECT_FALSE(second.acquire());
        EXPECT_EQ(second.outcome(), SingleInstance::Outcome::AnotherCopyRuns);
        EXPECT_TRUE(second.problem().isEmpty());
    }
    SingleInstance afterTheFirstEnded(lock);
    EXPECT_TRUE(afterTheFirstEnded.acquire());

    // A copy on a file system without flock is known by the lock's text alone.
    ForkedChild live([] { ::pause(); });
    const QByteArray text = LockText(live.pid(), ThisHost(), QSysInfo::bootUniqueId());
    EXPECT_TRUE(SingleInstance::NamesLiveCopy(text));
    const QString named = dir.write("named.lock", text);
    SingleInstance third(named);
    EXPECT_FALSE(third.acquire());
    EXPECT_EQ(third.outcome(), SingleInstance::Outcome::AnotherCopyRuns);
    live.stop();
    EXPECT_FALSE(SingleInstance::NamesLiveCopy(text));
}

TEST(SingleInstance, ALockPathThatCannotBeALockFileSaysWhyInsteadOfRefusingForEver) {
    const struct {
        const char* name;
        std::function<void(const TempDir&, const QString&)> make;
        QString reason;
    } cases[] = {
        {"a folder", [](const TempDir& d, const QString&) { d.mkdir("TobimaruMe.lock"); },
         QStringLiteral("同じ名前のフォルダがあります。")},
        {"a FIFO", [](const TempDir&, const QString& p) { ::mkfifo(QFile::encodeName(p).constData(), 0600); },
         QStringLiteral("通常のファイルではありません。")},
        {"a link", [](const TempDir& d, const QString& p) { QFile::link(d.write("target", "x"), p); },
         QStringLiteral("シンボリックリンクです。")},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString lock = dir.file("TobimaruMe.lock");
        c.make(dir, lock);
        for (int start = 0; start < 2; ++start) {
            SingleInstance instance(lock);
            EXPECT_FALSE(instance.acquire()) << c.name;
            EXPECT_EQ(instance.outcome(), SingleInstance::Outcome::LockUnusable) << c.name;
            EXPECT_EQ(instance.problem(),
                      QStringLiteral("起動中かどうかを確かめるロックファイルを使えません。\n%1\n%2\n"
                                     "これを取り除いてから、もう一度起動してください。")
                          .arg(lock, c.reason))
                << c.name;
        }
    }
}
