#pragma once

#include <QByteArray>
#include <QStringDecoder>

namespace tobimaru {

/// The byte order mark a settings file starts with.
enum class ByteOrderMark { None, Utf8, Utf16LE, Utf16BE };

/// The mark at the start of `bytes`.
ByteOrderMark FindByteOrderMark(const QByteArray& bytes);
/// How many bytes the mark takes.
qsizetype ByteOrderMarkLength(ByteOrderMark mark);

/// How many bytes of a line form well-made UTF-8 sequences of two bytes or more, and how many
/// bytes fit no sequence. Overlong forms, surrogates and code points beyond U+10FFFF are no
/// UTF-8 and count as bad.
struct Utf8Count {
    qsizetype multiByte = 0;
    qsizetype bad = 0;
};

Utf8Count CountUtf8(const char* data, qsizetype size);

/// Whether a file body without a byte order mark, whose lines counted `total` together, is read
/// as UTF-8; otherwise it is CP932 (a file brought over from a Japanese Windows).
bool ReadAsUtf8(const Utf8Count& total, const QByteArray& body);

/// A decoder for CP932, or for plain Shift_JIS where Qt's ICU knows no CP932.
QStringDecoder Cp932Decoder();

} // namespace tobimaru
