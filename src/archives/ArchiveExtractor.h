#pragma once

#include "archives/ArchiverCodes.h"

#include <QString>
#include <atomic>
#include <functional>
#include <optional>

namespace tobimaru {

/// What the caller of an extraction hears and says while it runs. Every callback is called on
/// the thread that runs the extraction; a GUI hands them to its own thread itself.
struct ExtractCallbacks {
    /// Progress: the entry being written (its name in the archive), the bytes of the archive
    /// written so far and the bytes of all its files. Called before each file and after each
    /// block written.
    std::function<void(const QString& entry, qint64 done, qint64 total)> progress;
    /// Asked at most once per archive, at its first encrypted entry and before anything is
    /// written, with the archive's path. nullopt (the user cancelled) ends the archive with
    /// 0x800A, as does a wrong password; no callback counts as a cancel.
    std::function<std::optional<QString>(const QString& archive)> password;
    /// Polled between entries and blocks; once true the archive ends with 0x8020 and what it
    /// wrote is removed. May be set from any thread.
    const std::atomic<bool>* cancel = nullptr;
};

/// One archive to extract into one existing folder.
struct ExtractRequest {
    ArchiveKind kind = ArchiveKind::Zip;
    QString archive;
    QString destination;
};

/// Why an extraction failed, beyond its result code.
struct ExtractFailure {
    /// The entry it failed at, its name as stored; "" when the failure is the archive's own.
    QString entry;
    /// Why, in Japanese words for the user; "" when the code's text says all there is.
    QString reason;
    /// libarchive's or our own words, for a log.
    QString log;
};

/// Extracts the archive into the destination with the stored folders, and returns 0 or a result
/// code. Nothing is written outside the destination and nothing there is overwritten: every
/// entry is checked (names, links, existing files, free space) before the first byte is
/// written, and a failure or a cancel removes what this call made, so the folder is left as it
/// was. `failure` (optional) gets what went wrong. Thread-safe: calls on different threads share
/// nothing.
ArchiverCode ExtractArchive(const ExtractRequest& request, const ExtractCallbacks& callbacks = {},
                            ExtractFailure* failure = nullptr);

/// Soundness: true when every header (and with mode 2 or more, every entry's data through to
/// its end) reads without error and the archive has at least one entry. The data of an
/// encrypted entry cannot be read without its password and is passed over. Writes nothing.
bool CheckArchive(ArchiveKind kind, const QString& archive, int mode);

} // namespace tobimaru
