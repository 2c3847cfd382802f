#include "platform/WaveVolume.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tobimaru::test {
namespace {

// Points libpulse at a server that is not there, without starting one, for one test.
class NoSoundServer {
public:
    NoSoundServer() {
        m_saved = qgetenv("PULSE_SERVER");
        m_had = qEnvironmentVariableIsSet("PULSE_SERVER");
        qputenv("PULSE_SERVER", ("unix:" + m_dir.path() + "/no-such-socket").toUtf8());
    }
    ~NoSoundServer() {
        if (m_had)
            qputenv("PULSE_SERVER", m_saved);
        else
            qunsetenv("PULSE_SERVER");
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_saved;
    bool m_had = false;
};

TEST(WaveVolume, NoServerReadsZeroAndWritesNothing) {
    NoSoundServer none;
    QElapsedTimer t;
    t.start();
    bool found = true;
    EXPECT_EQ(GetWaveVolume(&found), 0u);
    EXPECT_FALSE(found);
    EXPECT_EQ(GetWaveVolume(), 0u);
    EXPECT_FALSE(SetWaveVolume(0x80008000u));
    EXPECT_LT(t.elapsed(), 4000) << "a missing server must not hold the caller";
}

TEST(WaveVolume, PackingKeepsLeftLowAndRightHigh) {
    const uint32_t norm = 0x10000; // the server's 100%
    struct Case {
        uint32_t left, right, packed;
    };
    const Case cases[] = {
        {0, 0, 0},
        {norm, norm, 0xFFFFFFFFu},
        {norm, 0, 0x0000FFFFu},
        {0, norm, 0xFFFF0000u},
        {norm / 2, norm / 4, 0x40008000u},
        {norm * 3 / 2, 0, 0x0000FFFFu}, // louder than 100% is clipped
    };
    for (const Case& c : cases)
        EXPECT_EQ(PackWaveVolume(c.left, c.right), c.packed) << c.left << "," << c.right;

    // Whatever is read at start comes back unchanged at exit.
    for (uint32_t v : {0u, 1u, 12345u, 0x8000u, 0xFFFEu, norm}) {
        const auto [l, r] = UnpackWaveVolume(PackWaveVolume(v, v));
        EXPECT_EQ(l, v);
        EXPECT_EQ(r, v);
    }
    for (uint32_t packed : {0u, 0x12345678u, 0xFFFF0001u, 0xFFFFFFFFu}) {
        const auto [l, r] = UnpackWaveVolume(packed);
        EXPECT_EQ(PackWaveVolume(l, r), packed);
    }
}

} // namespace
} // namespace tobimaru::test
