#pragma once

#include <QString>
#include <cstdint>
#include <ctime>

namespace tobimaru {

/// Size column text: kilobytes rounded up, "#,##0" with "," between thousands, padded on the left
/// with spaces to exactly ten characters, so that text order is size order. Sizes whose bytes
/// + 1023 do not fit a signed 32-bit number (2,147,482,625 bytes and more) give "0" alone, as do
/// negative sizes.
QString FormatSizeKB(qint64 bytes);

/// FormatSizeKB written into a buffer, for sorting many rows without a string each; returns the
/// number of characters written (10, or 1 for "0").
qsizetype WriteSizeKB(qint64 bytes, char16_t (&out)[10]);

/// The same for a byte count written in decimal; text that is not a whole number gives "0" alone.
QString FormatSizeKB(const QString& bytesText);

/// Local time of a file time (seconds since the epoch) as "yyyy/MM/dd hh:mm:ss", every field after
/// the year with two digits, the year as its plain number; "" when the time has no local form.
QString FormatFileTime(qint64 secondsSinceEpoch);

/// Status bar text of a listing: "12個のﾌｧｲﾙ(3個のﾌｫﾙﾀﾞ)".
QString FormatListStatus(qint64 files, qint64 folders);

/// FormatFileTime for many times in a row: remembers the local form of the last minute, so a
/// folder of files written within minutes of each other costs one time-zone lookup per minute.
/// Room for any text of FormatFileTime.
inline constexpr qsizetype kFileTimeUnits = 40;

class FileTimeFormatter final {
public:
    /// Same contract as FormatFileTime.
    QString format(qint64 secondsSinceEpoch);
    /// The same text written into a buffer; returns its length (0 for "").
    qsizetype write(qint64 secondsSinceEpoch, char16_t (&out)[kFileTimeUnits]);

private:
    qint64 m_minuteStart = 0; ///< first second of the cached minute (UTC)
    bool m_cached = false;
    struct tm m_local {};
};

} // namespace tobimaru
