#pragma once

#include "settings/PrivateProfile.h"

#include <QString>
#include <optional>

namespace tobimaru {

/// One pass over the settings file for a whole load or save: the file is read and parsed once
/// when the session starts, reads and writes go to that copy, and commit() replaces the file
/// once with everything written. A save killed half-way therefore leaves the old file whole,
/// and a large file costs one parse instead of one per key.
class IniSession final {
public:
    /// Reads the file at `path` (a missing file, or one that is no regular file, is empty).
    explicit IniSession(const QString& path);

    QString path() const { return m_path; }
    /// The value of a key as the file holds it with the writes so far; nullopt when absent.
    std::optional<QString> value(const QString& section, const QString& key) const;
    /// Takes a value into the session. False, changing nothing, for a name or value the format
    /// cannot hold, and for a file that may not be written: one that exists but cannot be read
    /// (writing would lose what it holds) or one without any write bit.
    bool setValue(const QString& section, const QString& key, const QString& value);
    /// Removes a key; true when the file will be without it, also when it never had it.
    bool removeKey(const QString& section, const QString& key);
    /// Removes a section; true when the file will be without it.
    bool removeSection(const QString& section);
    /// True while there are writes the file does not hold yet.
    bool pending() const { return m_profile.changed(); }
    /// Replaces the file once with everything written, or leaves it alone when nothing changed.
    /// False when the file could not be replaced; it is then as it was and the writes stay
    /// pending.
    bool commit();

private:
    QString m_path;
    PrivateProfile m_profile;
    bool m_writable = true;
};

} // namespace tobimaru
