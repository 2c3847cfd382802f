// The mpv session on its own, with no widget: options, the event stream and which events are ours.
#include "playback/mpv/MpvSession.h"
#include "playback/PlayerTestSupport.h"

#include <QSignalSpy>
#include <mpv/client.h>

using namespace tobimaru;
using namespace tobimaru::test;

namespace {

PlayerMedia& media() {
    static PlayerMedia m;
    return m;
}

MpvSession::Options Quiet() {
    MpvSession::Options o;
    o.audioOutput = "null";
    return o;
}

/// The log lines written while it lives.
class LogCapture {
public:
    LogCapture() {
        s_lines.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { s_lines << text; });
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    static QStringList lines() { return s_lines; }

private:
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

struct Events {
    explicit Events(MpvSession& s)
        : loaded(&s, &MpvSession::fileLoaded)
        , ended(&s, &MpvSession::endOfFile)
        , failed(&s, &MpvSession::fileFailed)
        , refused(&s, &MpvSession::loadFailed) {}
    QSignalSpy loaded, ended, failed, refused;
};

} // namespace

TEST(MpvSession, ARefusedOptionIsLoggedWithMpvsTextAndTheCoreStillStarts) {
    const LogCapture log;
    MpvSession::Options o = Quiet();
    o.extra = {{"no-such-option", "1"}, {"volume", "not a number"}};
    MpvSession session(o);
    EXPECT_TRUE(session.isReady());
    const QString all = LogCapture::lines().join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("no-such-option=1 refused: ") +
                             QString::fromUtf8(mpv_error_string(MPV_ERROR_OPTION_NOT_FOUND))))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("volume=not a number refused: "))) << all.toStdString();
}

TEST(MpvSession, AFileOpensPlaysToItsEndAndIsThenNoLongerHeld) {
    MpvSession session(Quiet());
    Events e(session);
    QSignalSpy positions(&session, &MpvSession::positionChanged);
    ASSERT_EQ(session.load(media().clip(), false), 0);
    EXPECT_TRUE(session.hasFile());
    ASSERT_TRUE(WaitUntil([&] { return e.ended.count() == 1; }));
    EXPECT_EQ(e.loaded.count(), 1);
    EXPECT_EQ(e.failed.count() + e.refused.count(), 0);
    EXPECT_FALSE(session.hasFile());
    EXPECT_FALSE(positions.isEmpty()) << "time-pos is matched by its reply id";
}

TEST(MpvSession, OnlyTheFileAskedForLastReportsItsEvents) {
    MpvSession session(Quiet());
    Events e(session);
    ASSERT_EQ(session.load(media().longClip(), false), 0);
    ASSERT_EQ(session.load(media().clip(), false), 0);
    ASSERT_TRUE(WaitUntil([&] { return e.ended.count() >= 1; }));
    QTest::qWait(300);
    EXPECT_EQ(e.ended.count(), 1) << "the replaced file's end is not ours";
    EXPECT_EQ(e.loaded.count(), 1);
    EXPECT_EQ(e.failed.count(), 0);
}

TEST(MpvSession, AFileThatCannotPlayFailsOnceAndACloseSilencesTheRest) {
    {
        MpvSession session(Quiet());
        Events e(session);
        ASSERT_EQ(session.load(media().broken(), false), 0);
        ASSERT_TRUE(WaitUntil([&] { return e.failed.count() + e.refused.count() == 1; }));
        EXPECT_LT((e.failed.isEmpty() ? e.refused : e.failed).at(0).at(0).toInt(), 0);
        EXPECT_EQ(e.ended.count(), 0);
        EXPECT_FALSE(session.hasFile());
    }
    MpvSession session(Quiet());
    Events e(session);
    ASSERT_EQ(session.load(media().clip(), false), 0);
    ASSERT_TRUE(WaitUntil([&] { return e.loaded.count() == 1; }));
    session.close();
    EXPECT_FALSE(session.hasFile());
    QTest::qWait(800);
    EXPECT_EQ(e.ended.count() + e.failed.count(), 0) << "a closed file says nothing more";
}

TEST(MpvSession, HardwareDecodingIsAskedForAndSoftwareTakesOverWhereNoDecoderAnswers) {
    const struct {
        const char* what;
        QByteArray set; ///< empty: the session's own choice
        QString expected;
    } rows[] = {
        {"copy-back, the choice of every output", {}, QString::fromLatin1(MpvSession::kCopyBackDecoding)},
        {"direct frames, the GL outputs' choice", MpvSession::kDirectDecoding,
         QString::fromLatin1(MpvSession::kDirectDecoding)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        MpvSession session(Quiet());
        Events e(session);
        QSignalSpy modes(&session, &MpvSession::hardwareDecodingChanged);
        QSignalSpy decoders(&session, &MpvSession::hardwareDecoderChanged);
        if (!row.set.isEmpty()) {
            ASSERT_EQ(session.setHardwareDecoding(row.set), 0);
        }
        ASSERT_EQ(session.load(media().clip(), false), 0);
        ASSERT_TRUE(WaitUntil([&] { return e.ended.count() + e.failed.count() + e.refused.count() == 1; }));
        EXPECT_EQ(e.ended.count(), 1) << "plays to its end, on a hardware decoder or without one";
        ASSERT_FALSE(modes.isEmpty());
        EXPECT_EQ(modes.last().at(0).toString(), row.expected);
        QStringList seen;
        for (const QList<QVariant>& d : decoders)
            seen << d.at(0).toString();
        seen.removeAll(QString());
        // A machine without a graphics processor decodes in software ("no"); one with a
        // decoder names it.
        EXPECT_EQ(seen.size(), 1) << seen.join(QLatin1Char(',')).toStdString();
    }
}

TEST(PlayerErrorText, AJapaneseReasonForEachCodeWithMpvsTextAfterIt) {
    const struct {
        int code;
        const char* reason;
    } cases[] = {
        {MPV_ERROR_UNKNOWN_FORMAT, "ファイルの形式を認識できません。"},
        {MPV_ERROR_LOADING_FAILED, "ファイルを開けませんでした。"},
        {MPV_ERROR_NOTHING_TO_PLAY, "ファイルに再生できる映像も音声もありません。"},
        {MPV_ERROR_UNSUPPORTED, "このファイルを再生するためのコーデックがありません。"},
        {MPV_ERROR_AO_INIT_FAILED, "音声を出力できません。"},
        {MPV_ERROR_GENERIC, "ファイルを再生できませんでした。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlayerErrorText(c.code), QString::fromUtf8(c.reason) + QStringLiteral("（") +
                                               QString::fromUtf8(mpv_error_string(c.code)) +
                                               QStringLiteral("）"))
            << c.code;
    }
}
