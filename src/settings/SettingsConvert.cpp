#include "settings/SettingsConvert.h"

#include "base/ErrorTable.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <limits>

namespace tobimaru {

std::optional<double> ParseNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    const QString t = text.trimmed();
    if (!number.match(t).hasMatch())
        return std::nullopt;
    // from_chars reads the C notation whatever the desktop's locale, so a stored "1.5" means
    // the same under a German desktop. It takes no "+", which the pattern allows.
    QByteArray latin = t.toLatin1();
    if (latin.startsWith('+'))
        latin.remove(0, 1);
    double d = 0.0;
    const auto [ptr, ec] = std::from_chars(latin.constData(), latin.constData() + latin.size(), d);
    if (ec == std::errc::result_out_of_range) {
        // Too large becomes infinite (an overflow for every caller); too small is zero.
        const bool tiny = latin.contains("e-") || latin.contains("E-");
        const bool negative = latin.startsWith('-');
        d = tiny ? 0.0 : (negative ? -1.0 : 1.0) * std::numeric_limits<double>::infinity();
    } else if (ec != std::errc() || ptr != latin.constData() + latin.size()) {
        return std::nullopt;
    }
    return d;
}

int16_t ToInt16(const QString& text) {
    const auto d = ParseNumber(text);
    if (!d)
        throw Failure(ErrorCode::TypeMismatch, "ToInt16");
    const double r = std::nearbyint(*d);
    if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max()))
        throw Failure(ErrorCode::Overflow, "ToInt16");
    return static_cast<int16_t>(r);
}

int16_t NarrowToInt16(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw Failure(ErrorCode::Overflow, "NarrowToInt16");
    return static_cast<int16_t>(value);
}

int32_t RoundToInt32(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        throw Failure(ErrorCode::Overflow, "RoundToInt32");
    return static_cast<int32_t>(r);
}

bool ToBoolean(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const auto d = ParseNumber(t);
    if (!d)
        throw Failure(ErrorCode::TypeMismatch, "ToBoolean");
    return *d != 0.0;
}

float ToSingle(const QString& text) {
    const auto d = ParseNumber(text);
    if (!d)
        throw Failure(ErrorCode::TypeMismatch, "ToSingle");
    if (std::fabs(*d) > std::numeric_limits<float>::max())
        throw Failure(ErrorCode::Overflow, "ToSingle");
    return static_cast<float>(*d);
}

QString SingleText(float value) {
    if (value == 0.0f)
        return QStringLiteral("0"); // also for -0, which would print as "-0"
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (ec != std::errc())
        return QString::number(double(value), 'f');
    return QString::fromLatin1(buf, end - buf);
}

QString BooleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace tobimaru
