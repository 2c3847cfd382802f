#pragma once

#include <QString>

namespace tobimaru {

/// Result codes of the archiver functions. They keep the numbers the archiver libraries of
/// Japanese Windows used, so the front-end's messages and a user's memory of them still fit.
enum class ArchiverCode : int {
    Ok = 0,
    DiskSpace = 0x8005,
    ReadOnly = 0x8006,
    UserSkip = 0x8007,
    UnknownType = 0x8008,
    UnknownMode = 0x8009,
    Password = 0x800A,
    Version = 0x800B,
    DataChecksum = 0x800C,
    FileOpen = 0x800D,
    NewerExists = 0x800E,
    NotInDestination = 0x800F,
    AlreadyExists = 0x8010,
    TooManyFiles = 0x8011,
    MakeDirectory = 0x8012,
    WriteError = 0x8013,
    HuffmanCode = 0x8014,
    CommentHeader = 0x8015,
    HeaderChecksum = 0x8016,
    HeaderBroken = 0x8017,
    ArchiveOpen = 0x8018,
    NoArchiveName = 0x8019,
    ReadError = 0x801A,
    NotArchive = 0x801B,
    Command = 0x801C,
    HeapMemory = 0x801D,
    GlobalMemory = 0x801E,
    Busy = 0x801F,
    UserCancel = 0x8020,
    WorkFile = 0x8025,
};

/// The number the archiver libraries report for a code.
constexpr int ArchiverNumber(ArchiverCode code) {
    return static_cast<int>(code);
}

/// The two archive formats; each has its own reader and its own wording of some messages.
enum class ArchiveKind { Lzh, Zip };

/// The message for a result code of the LZH functions: "" for 0, the table text for a known
/// code, "未知のｴﾗｰです。&H" + upper-case hex for any other.
QString LzhErrorText(ArchiverCode code);
/// The same for the ZIP functions (the texts that name the library or the format say Zip).
QString ZipErrorText(ArchiverCode code);
/// LzhErrorText or ZipErrorText by kind.
QString ArchiverErrorText(ArchiveKind kind, ArchiverCode code);

} // namespace tobimaru
