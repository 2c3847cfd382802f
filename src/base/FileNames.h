#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tobimaru {

// File names on Linux are bytes. Most are UTF-8, but names unpacked from old archives or copied
// from old disks are Latin-1 or CP932, and Qt's own conversion turns every such byte into U+FFFD:
// two names then collide, and the path no longer finds the file. Our paths keep each byte that is
// not part of valid UTF-8 as the lone surrogate U+DC00 + byte, so every path converts back to the
// bytes the file system gave; only the text a user reads shows U+FFFD there.

/// True when the bytes are valid UTF-8 throughout (plain ASCII included).
bool IsUtf8(QByteArrayView bytes);
/// The path text of a name or path as the file system gives it.
QString DecodeFileName(QByteArrayView bytes);
/// The bytes of a path text for the file system: the inverse of DecodeFileName.
QByteArray EncodeFileName(QStringView path);
/// The text to show for a name or path: every byte that was not UTF-8 as U+FFFD.
QString DisplayFileName(const QString& path);

} // namespace tobimaru
