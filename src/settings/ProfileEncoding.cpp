#include "settings/ProfileEncoding.h"

#include <QString>
#include <algorithm>
#include <initializer_list>

namespace tobimaru {

namespace {

/// True when the bytes read as CP932 without a single byte that fits no character.
bool ReadsAsCp932(const QByteArray& bytes) {
    // ICU knows the Windows flavour of Shift_JIS (NEC and IBM extensions) as CP932; plain
    // Shift_JIS serves a Qt built with another ICU alias table.
    for (const char* name : {"CP932", "Shift_JIS"}) {
        QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
        if (!decoder.isValid())
            continue;
        const QString text = decoder.decode(bytes);
        return !decoder.hasError() && !text.contains(QChar::ReplacementCharacter);
    }
    return false;
}

} // namespace

ByteOrderMark FindByteOrderMark(const QByteArray& bytes) {
    const auto starts = [&bytes](std::initializer_list<unsigned char> mark) {
        return bytes.size() >= qsizetype(mark.size()) &&
               std::equal(mark.begin(), mark.end(),
                          reinterpret_cast<const unsigned char*>(bytes.constData()));
    };
    if (starts({0xFF, 0xFE}))
        return ByteOrderMark::Utf16LE;
    if (starts({0xFE, 0xFF}))
        return ByteOrderMark::Utf16BE;
    if (starts({0xEF, 0xBB, 0xBF}))
        return ByteOrderMark::Utf8;
    return ByteOrderMark::None;
}

qsizetype ByteOrderMarkLength(ByteOrderMark mark) {
    switch (mark) {
    case ByteOrderMark::Utf8:
        return 3;
    case ByteOrderMark::Utf16LE:
    case ByteOrderMark::Utf16BE:
        return 2;
    case ByteOrderMark::None:
        break;
    }
    return 0;
}

Utf8Count CountUtf8(const char* data, qsizetype size) {
    Utf8Count count;
    const auto byte = [data](qsizetype i) { return static_cast<unsigned char>(data[i]); };
    const auto isTail = [&](qsizetype i, unsigned lo, unsigned hi) { return byte(i) >= lo && byte(i) <= hi; };
    qsizetype i = 0;
    while (i < size) {
        const unsigned c = byte(i);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned lo = 0x80;
        unsigned hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            lo = c == 0xE0 ? 0xA0 : 0x80;
            hi = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            lo = c == 0xF0 ? 0x90 : 0x80;
            hi = c == 0xF4 ? 0x8F : 0xBF;
        }
        bool ok = length > 0 && i + length <= size && isTail(i + 1, lo, hi);
        for (int k = 2; ok && k < length; ++k)
            ok = isTail(i + k, 0x80, 0xBF);
        if (ok) {
            count.multiByte += length;
            i += length;
        } else {
            ++count.bad;
            ++i;
        }
    }
    return count;
}

bool ReadAsUtf8(const Utf8Count& total, const QByteArray& body) {
    // A UTF-8 file with a stray byte or two is still UTF-8: read as CP932 it would come back
    // as nonsense (UTF-8 Japanese mostly reads as CP932 without a fault), and be written back
    // so. CP932 text, on the other hand, is full of bytes that fit no UTF-8 sequence: even a
    // run of kana, whose byte pairs often pass for UTF-8, leaves one of them for every two
    // that pass.
    return total.bad < 2 || total.bad * 4 <= total.multiByte || !ReadsAsCp932(body);
}

QStringDecoder Cp932Decoder() {
    QStringDecoder decoder("CP932", QStringDecoder::Flag::Stateless);
    return decoder.isValid() ? std::move(decoder)
                             : QStringDecoder("Shift_JIS", QStringDecoder::Flag::Stateless);
}

} // namespace tobimaru
