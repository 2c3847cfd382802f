#include "platform/MountProber.h"

#include "support/HangingFuse.h"
#include "support/LateRelease.h"
#include "support/ScriptedProbe.h"
#include "support/TempDir.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tobimaru;
using namespace std::chrono_literals;
using test::ScriptedProbe;

namespace {

const MountKey kNas{QStringLiteral("/mnt/nas"), QStringLiteral("31|0:50|srv:/x|nfs4")};
const MountKey kHome{QStringLiteral("/home"), QStringLiteral("28|8:2|/dev/sda2|ext4")};
const MountKey kUsb{QStringLiteral("/media/usb"), QStringLiteral("40|8:17|/dev/sdb1|vfat")};
const MountKey kCd{QStringLiteral("/media/cd"), QStringLiteral("41|11:0|/dev/sr0|iso9660")};

// The silence of a mount ends when its probe returns, on the prober's worker: wait for that, at
// most a few seconds, with no claim on how long it takes.
bool SilenceEnds(const MountProber& prober, const MountKey& mount) {
    for (int i = 0; i < 500 && prober.isSilent(mount); ++i)
        std::this_thread::sleep_for(10ms);
    return !prober.isSilent(mount);
}

} // namespace

TEST(MountProber, AMountThatDidNotAnswerAnswersAtOnceUntilItsProbeReturns) {
    ScriptedProbe script;
    script.hang(kNas.mountPoint);
    MountProber prober(script.probe());

    const auto first = prober.ask({kNas, kHome}, 150ms);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_FALSE(first[0]);
    ASSERT_TRUE(first[1]);
    EXPECT_TRUE(first[1]->ready);
    EXPECT_TRUE(prober.isSilent(kNas));
    EXPECT_FALSE(prober.isSilent(kHome));

    {
        const test::LateRelease safety(script);
        EXPECT_FALSE(prober.ask({kNas}, 60s)[0]) << "a silent mount is not waited for again";
    }
    EXPECT_EQ(script.calls(kNas.mountPoint), 1) << "nor probed again while its probe is out";
    // Something mounted anew there is another mount, asked afresh.
    const MountKey remounted{kNas.mountPoint, QStringLiteral("77|0:51|srv:/x|nfs4")};
    EXPECT_FALSE(prober.isSilent(remounted));
    EXPECT_FALSE(prober.ask({remounted}, 100ms)[0]);
    EXPECT_EQ(script.calls(kNas.mountPoint), 2);

    script.release();
    ASSERT_TRUE(SilenceEnds(prober, kNas));
    const auto later = prober.ask({kNas}, 2s);
    ASSERT_TRUE(later[0]);
    EXPECT_TRUE(later[0]->ready);
    EXPECT_EQ(script.calls(kNas.mountPoint), 3);
}

TEST(MountProber, AGlanceRemembersNothingButAProbeOutLongerThanTheLimitIsSilent) {
    ScriptedProbe script;
    script.hang(kNas.mountPoint);
    MountProber prober(script.probe());
    {
        const test::LateRelease safety(script);
        EXPECT_FALSE(prober.ask({kNas}, 60s, MountProber::Patience::Glance)[0]) << "a glance is a moment";
    }
    EXPECT_FALSE(prober.isSilent(kNas));
    {
        // Within one command a mount is glanced at once; the command's own need still waits.
        const MountProber::Command command(prober);
        EXPECT_FALSE(prober.ask({kNas}, 60s, MountProber::Patience::Glance)[0]);
        const test::LateRelease safety(script);
        EXPECT_FALSE(prober.ask({kNas}, 60s, MountProber::Patience::Glance)[0]) << "no second glance";
    }
    EXPECT_FALSE(prober.isSilent(kNas));
    // By now the probe has been out for longer than a limit this short: anyone asking is told at
    // once, a glance too.
    EXPECT_FALSE(prober.ask({kNas}, 50ms, MountProber::Patience::Glance)[0]);
    EXPECT_TRUE(prober.isSilent(kNas));
    EXPECT_EQ(script.calls(kNas.mountPoint), 1);
}

TEST(MountProber, ThreadsAreBoundedAndDoNotGrowWithEachTry) {
    ScriptedProbe script;
    for (const MountKey& m : {kNas, kUsb, kCd})
        script.hang(m.mountPoint);
    MountProber prober(script.probe(), 2);
    const std::vector<MountKey> all{kNas, kUsb, kCd, kHome};

    const int before = test::ProcessThreadCount();
    const auto answers = prober.ask(all, 150ms);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_FALSE(answers[i]) << i;
    // Two workers took two probes and stuck; the others waited in line for a free one.
    EXPECT_EQ(prober.workerCount(), 2);
    EXPECT_EQ(script.blocked(), 2);
    const int stuck = test::SettledThreadCount(before + 2);
    EXPECT_LE(stuck, before + 2);

    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto again = prober.ask(all, 150ms);
        EXPECT_FALSE(again[0]) << attempt;
        EXPECT_EQ(prober.workerCount(), 2) << attempt;
        EXPECT_LE(test::SettledThreadCount(stuck), stuck) << attempt;
    }
    EXPECT_EQ(script.calls(kNas.mountPoint) + script.calls(kUsb.mountPoint) + script.calls(kCd.mountPoint),
              2);
}

TEST(MountProber, ACommandAsksEachMountOnceAndWaitsOneLimitInAll) {
    ScriptedProbe script;
    MountProber prober(script.probe());
    {
        const MountProber::Command command(prober);
        // A probe started ahead keeps its answer for the ask, also when it answers first.
        prober.start({kHome});
        for (int i = 0; i < 500 && script.calls(kHome.mountPoint) == 0; ++i)
            std::this_thread::sleep_for(10ms);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(prober.ask({kHome}, 2s)[0]);
        EXPECT_EQ(script.calls(kHome.mountPoint), 1);
        {
            const MountProber::Command inner(prober); // a nested command is part of the outer
            EXPECT_TRUE(prober.ask({kHome}, 2s)[0]);
        }
        EXPECT_EQ(script.calls(kHome.mountPoint), 1);

        // The first silent mount spends the command's limit; a second one gets a short grace,
        // not a limit of its own. Answers that came at once spent nothing of it.
        script.hang(kNas.mountPoint);
        script.hang(kUsb.mountPoint);
        EXPECT_FALSE(prober.ask({kNas}, 2s)[0]);
        const test::LateRelease safety(script, 1200ms);
        EXPECT_FALSE(prober.ask({kUsb}, 2s)[0]);
    }
    script.release();
    EXPECT_TRUE(prober.ask({kHome}, 2s)[0]);
    EXPECT_EQ(script.calls(kHome.mountPoint), 2) << "a new command asks again";
}

TEST(MountProber, AFailingProbeIsRethrownAfterTheOthersAnswered) {
    MountProber prober([](const QString& mountPoint) {
        if (mountPoint == kCd.mountPoint)
            throw std::runtime_error("no medium");
        return test::ReadyFolder();
    });
    EXPECT_THROW(prober.ask({kHome, kCd}, 2s), std::runtime_error);
    EXPECT_TRUE(prober.ask({kHome}, 2s)[0]);
}

TEST(MountProber, TheMainThreadRunsItsEventsWhileItWaitsAndOtherThreadsSleep) {
    ScriptedProbe script;
    script.hang(kNas.mountPoint);
    MountProber prober(script.probe());
    bool fired = false;
    QTimer::singleShot(0, [&fired] { fired = true; });
    EXPECT_FALSE(prober.ask({kNas}, 200ms)[0]);
    EXPECT_TRUE(fired) << "a timer due during the wait ran";

    std::optional<MountStatus> fromWorker;
    std::optional<MountStatus> silentFromWorker = test::ReadyFolder();
    std::thread other([&] {
        fromWorker = prober.ask({kHome}, 2s)[0];
        silentFromWorker = prober.ask({kUsb}, 0ms)[0];
    });
    script.hang(kUsb.mountPoint);
    other.join();
    EXPECT_TRUE(fromWorker);
    EXPECT_FALSE(silentFromWorker);
}

TEST(MountProber, ARealMountThatHangsIsProbedOffThisThread) {
    test::TempDir dir;
    test::HangingFuse fuse(dir.mkdir("nas"));
    if (!fuse.mounted())
        GTEST_SKIP() << fuse.whyNot().toStdString();
    const MountEntry e = fuse.entry();
    const MountKey nas{e.mountPoint, e.id + e.device};
    MountProber prober(SystemMountProbe());

    const int before = test::ProcessThreadCount();
    for (int attempt = 0; attempt < 4; ++attempt)
        EXPECT_FALSE(prober.ask({nas}, 200ms)[0]) << attempt;
    EXPECT_LE(test::SettledThreadCount(before + 1), before + 1);
    EXPECT_EQ(prober.workerCount(), 1);
    ASSERT_FALSE(fuse.callers().isEmpty());
    EXPECT_FALSE(fuse.callers().contains(::getpid())) << "this thread never called into the mount";

    fuse.release();
    ASSERT_TRUE(SilenceEnds(prober, nas));
    const std::optional<MountStatus> answer = prober.ask({nas}, 2s)[0];
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->ready);
    EXPECT_TRUE(S_ISDIR(answer->rootMode));
    EXPECT_TRUE(ProbeMountPlain(e.mountPoint).ready);
}
