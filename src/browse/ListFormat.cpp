#include "browse/ListFormat.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace tobimaru {

namespace {

// Writes `value` (>= 0) as at least `width` decimal digits ending just before `end`; returns the
// first character written.
char16_t* WriteDigits(char16_t* end, qint64 value, int width) {
    char16_t* p = end;
    do {
        *--p = char16_t(u'0' + value % 10);
        value /= 10;
        --width;
    } while (value > 0 || width > 0);
    return p;
}

// Writes the text at the end of `buf` and returns where it starts.
char16_t* WriteLocal(const struct tm& t, char16_t (&buf)[kFileTimeUnits]) {
    // "yyyy/MM/dd hh:mm:ss": built by hand, as a folder of thousands of files formats thousands of
    // times and the general-purpose formatters cost far more than the text itself.
    char16_t* const end = buf + std::size(buf);
    char16_t* p = end;
    p = WriteDigits(p, t.tm_sec, 2);
    *--p = u':';
    p = WriteDigits(p, t.tm_min, 2);
    *--p = u':';
    p = WriteDigits(p, t.tm_hour, 2);
    *--p = u' ';
    p = WriteDigits(p, t.tm_mday, 2);
    *--p = u'/';
    p = WriteDigits(p, t.tm_mon + 1, 2);
    *--p = u'/';
    const qint64 year = qint64(t.tm_year) + 1900;
    p = WriteDigits(p, year < 0 ? -year : year, 1);
    if (year < 0)
        *--p = u'-';
    return p;
}

QString FormatLocal(const struct tm& t) {
    char16_t buf[kFileTimeUnits];
    const char16_t* const p = WriteLocal(t, buf);
    return QString(reinterpret_cast<const QChar*>(p), buf + kFileTimeUnits - p);
}

// Moves a text written at the end of the buffer to its start.
qsizetype ToFront(char16_t (&buf)[kFileTimeUnits], const char16_t* p) {
    const qsizetype n = buf + kFileTimeUnits - p;
    std::copy(p, p + n, buf);
    return n;
}

bool ToLocal(qint64 seconds, struct tm& out) {
    if (seconds < std::numeric_limits<time_t>::min() || seconds > std::numeric_limits<time_t>::max())
        return false;
    const time_t t = time_t(seconds);
    return localtime_r(&t, &out) != nullptr;
}

} // namespace

qsizetype WriteSizeKB(qint64 bytes, char16_t (&buf)[10]) {
    constexpr qint64 kLimit = std::numeric_limits<qint32>::max();
    if (bytes < 0 || bytes > kLimit - 1023) {
        buf[0] = u'0';
        return 1;
    }
    qint64 kb = (bytes + 1023) / 1024;
    char16_t* const end = buf + 10;
    char16_t* p = end;
    int group = 0;
    do {
        if (group == 3) {
            *--p = u',';
            group = 0;
        }
        *--p = char16_t(u'0' + kb % 10);
        kb /= 10;
        ++group;
    } while (kb > 0);
    // At most 2,097,151 KB: nine characters, so the padding always has room.
    while (p > buf)
        *--p = u' ';
    return 10;
}

QString FormatSizeKB(qint64 bytes) {
    char16_t buf[10];
    const qsizetype n = WriteSizeKB(bytes, buf);
    return QString(reinterpret_cast<const QChar*>(buf), n);
}

QString FormatSizeKB(const QString& bytesText) {
    bool ok = false;
    const qint64 bytes = bytesText.trimmed().toLongLong(&ok);
    return ok ? FormatSizeKB(bytes) : QStringLiteral("0");
}

QString FormatFileTime(qint64 secondsSinceEpoch) {
    struct tm local {};
    if (!ToLocal(secondsSinceEpoch, local))
        return {};
    return FormatLocal(local);
}

QString FormatListStatus(qint64 files, qint64 folders) {
    return QString::number(files) + QStringLiteral("個のﾌｧｲﾙ(") + QString::number(folders) +
           QStringLiteral("個のﾌｫﾙﾀﾞ)");
}

QString FileTimeFormatter::format(qint64 secondsSinceEpoch) {
    char16_t buf[kFileTimeUnits];
    const qsizetype n = write(secondsSinceEpoch, buf);
    return QString(reinterpret_cast<const QChar*>(buf), n);
}

qsizetype FileTimeFormatter::write(qint64 secondsSinceEpoch, char16_t (&out)[kFileTimeUnits]) {
    struct tm local {};
    // Floor to the minute, also for times before 1970.
    qint64 offset = secondsSinceEpoch % 60;
    if (offset < 0)
        offset += 60;
    const qint64 minuteStart = secondsSinceEpoch - offset;
    if (!m_cached || minuteStart != m_minuteStart) {
        if (!ToLocal(minuteStart, local))
            return ToLocal(secondsSinceEpoch, local) ? ToFront(out, WriteLocal(local, out)) : 0;
        m_local = local;
        m_minuteStart = minuteStart;
        m_cached = true;
    }
    // Zones with an offset in odd seconds (old local mean times) would carry into the next
    // minute; those few times take the slow road.
    if (m_local.tm_sec + offset >= 60)
        return ToLocal(secondsSinceEpoch, local) ? ToFront(out, WriteLocal(local, out)) : 0;
    local = m_local;
    local.tm_sec += int(offset);
    return ToFront(out, WriteLocal(local, out));
}

} // namespace tobimaru
