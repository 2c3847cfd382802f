#pragma once

#include <QString>

namespace tobimaru {

/// Result codes of the archiver functions. They keep the numbers the archiver libraries of
/// Japanese Windows used, so the front-end's messages and a user's memory of them still fit.
namespace ArchiverCode {
inline constexpr int Ok = 0;
inline constexpr int DiskSpace = 0x8005;
inline constexpr int ReadOnly = 0x8006;
inline constexpr int UserSkip = 0x8007;
inline constexpr int UnknownType = 0x8008;
inline constexpr int UnknownMode = 0x8009;
inline constexpr int Password = 0x800A;
inline constexpr int Version = 0x800B;
inline constexpr int DataChecksum = 0x800C;
inline constexpr int FileOpen = 0x800D;
inline constexpr int NewerExists = 0x800E;
inline constexpr int NotInDestination = 0x800F;
inline constexpr int AlreadyExists = 0x8010;
inline constexpr int TooManyFiles = 0x8011;
inline constexpr int MakeDirectory = 0x8012;
inline constexpr int WriteError = 0x8013;
inline constexpr int HuffmanCode = 0x8014;
inline constexpr int CommentHeader = 0x8015;
inline constexpr int HeaderChecksum = 0x8016;
inline constexpr int HeaderBroken = 0x8017;
inline constexpr int ArchiveOpen = 0x8018;
inline constexpr int NoArchiveName = 0x8019;
inline constexpr int ReadError = 0x801A;
inline constexpr int NotArchive = 0x801B;
inline constexpr int Command = 0x801C;
inline constexpr int HeapMemory = 0x801D;
inline constexpr int GlobalMemory = 0x801E;
inline constexpr int Busy = 0x801F;
inline constexpr int UserCancel = 0x8020;
inline constexpr int WorkFile = 0x8025;
} // namespace ArchiverCode

/// The two archive formats; each has its own reader and its own wording of some messages.
enum class ArchiveKind { Lzh, Zip };

/// The message for a result code of the LZH functions: "" for 0, the table text for a known
/// code, "未知のｴﾗｰです。&H" + upper-case hex for any other.
QString LzhErrorText(int code);
/// The same for the ZIP functions (the texts that name the library or the format say Zip).
QString ZipErrorText(int code);
/// LzhErrorText or ZipErrorText by kind.
QString ArchiverErrorText(ArchiveKind kind, int code);

} // namespace tobimaru
