#include "base/FileNames.h"

#include <algorithm>

namespace tobimaru {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscape(char16_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

/// The length of the valid UTF-8 sequence at `p` (at most `left` bytes), 0 when it is not one.
int ValidSequence(const unsigned char* p, qsizetype left) {
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    int length = 0;
    unsigned char min2 = 0x80, max2 = 0xBF; // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            min2 = 0xA0; // overlong
        else if (c == 0xED)
            max2 = 0x9F; // UTF-16 surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            min2 = 0x90; // overlong
        else if (c == 0xF4)
            max2 = 0x8F; // past U+10FFFF
    } else {
        return 0;
    }
    if (left < length || p[1] < min2 || p[1] > max2)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (!IsContinuation(p[i]))
            return 0;
    }
    return length;
}

/// The length of the valid UTF-8 that `bytes` begins with.
qsizetype ValidPrefix(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const int length = ValidSequence(p + i, n - i);
        if (length == 0)
            break;
        i += length;
    }
    return i;
}

} // namespace

bool IsUtf8(QByteArrayView bytes) {
    return ValidPrefix(bytes) == bytes.size();
}

QString DecodeFileName(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = ValidPrefix(bytes);
    if (i == n)
        return QString::fromUtf8(bytes);
    // Valid up to `i`: the rest goes sequence by sequence.
    QString out = QString::fromUtf8(bytes.first(i));
    while (i < n) {
        const int length = ValidSequence(p + i, n - i);
        if (length == 0) {
            out += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.sliced(i, length));
            i += length;
        }
    }
    return out;
}

QByteArray EncodeFileName(QStringView path) {
    qsizetype start = 0;
    QByteArray out;
    bool escaped = false;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        if (!IsEscape(c))
            continue;
        escaped = true;
        out += path.sliced(start, i - start).toUtf8();
        out += char(c - kEscapeBase);
        start = i + 1;
    }
    if (!escaped)
        return path.toUtf8();
    out += path.sliced(start).toUtf8();
    return out;
}

QString DisplayFileName(const QString& path) {
    // Painting asks for every row's text: no copy unless something must change.
    const auto first =
        std::find_if(path.cbegin(), path.cend(), [](QChar c) { return IsEscape(c.unicode()); });
    if (first == path.cend())
        return path;
    QString out = path;
    for (qsizetype i = first - path.cbegin(); i < out.size(); ++i) {
        if (IsEscape(out[i].unicode()))
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

} // namespace tobimaru
