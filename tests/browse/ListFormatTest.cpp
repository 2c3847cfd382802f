#include "browse/ListFormat.h"

#include <QByteArray>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <time.h>

using namespace tobimaru;

namespace {

// Puts the process in a time zone for one test and back afterwards.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* tz)
        : m_old(qgetenv("TZ"))
        , m_had(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", tz);
        tzset();
    }
    ~ZoneGuard() {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had = false;
};

} // namespace

TEST(ListFormat, SizeTextsAreTenWideAndZeroPastTheLimit) {
    struct Case {
        qint64 bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "         0"},
        {1, "         1"},
        {1024, "         1"},
        {1025, "         2"},
        {1024 * 999, "       999"},
        {1024 * 1000, "     1,000"},
        {5000000, "     4,883"},
        {2147482624, " 2,097,151"}, // the last size whose bytes + 1023 fit 32 bits
        {2147482625, "0"},
        {3LL << 30, "0"},
        {5LL << 30, "0"},
        {-1, "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSizeKB(c.bytes), QString::fromLatin1(c.text)) << c.bytes;
        EXPECT_EQ(FormatSizeKB(QString::number(c.bytes)), QString::fromLatin1(c.text)) << c.bytes;
    }
    EXPECT_EQ(FormatSizeKB(QStringLiteral("12kB")), "0");
    EXPECT_EQ(FormatSizeKB(QString()), "0");
}

TEST(ListFormat, FileTimesAreLocalWithTwoDigitFields) {
    const ZoneGuard zone("JST-9");
    EXPECT_EQ(FormatFileTime(1045008307), "2003/02/12 09:05:07");
    EXPECT_EQ(FormatFileTime(0), "1970/01/01 09:00:00");
    EXPECT_EQ(FormatFileTime(-1), "1970/01/01 08:59:59");
}

TEST(ListFormat, CachedFormatterAgreesAcrossZonesAndTransitions) {
    // Central European rules (a daylight-saving switch at 01:00 UTC) and a zone whose offset
    // has odd seconds, where the minute of local time does not start with the UTC minute.
    for (const char* tz : {"CET-1CEST,M3.5.0,M10.5.0/3", "LMT-0:19:32", "NST3:30NDT,M3.2.0,M11.1.0"}) {
        const ZoneGuard zone(tz);
        FileTimeFormatter formatter;
        std::mt19937_64 rng(1);
        // Seconds around the spring switch of 2023 in steps that stay within and cross minutes.
        for (qint64 t = 1679792370 - 400; t < 1679792370 + 400; t += 7)
            ASSERT_EQ(formatter.format(t), FormatFileTime(t)) << tz << " " << t;
        for (int i = 0; i < 2000; ++i) {
            const qint64 t = qint64(rng() % 4000000000ULL) - 500000000;
            ASSERT_EQ(formatter.format(t), FormatFileTime(t)) << tz << " " << t;
            ASSERT_EQ(formatter.format(t + 1), FormatFileTime(t + 1)) << tz << " " << t + 1;
        }
    }
}

TEST(ListFormat, StatusText) {
    EXPECT_EQ(FormatListStatus(12, 3), QStringLiteral("12個のﾌｧｲﾙ(3個のﾌｫﾙﾀﾞ)"));
    EXPECT_EQ(FormatListStatus(0, 0), QStringLiteral("0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"));
}
