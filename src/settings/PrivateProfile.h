#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tobimaru {

/// The longest value a read hands back, in UTF-8 bytes. Longer values are cut on a character
/// boundary, so a read never returns half a character.
inline constexpr int MaxProfileValueBytes = 4095;

/// A settings file in the classic profile format: "[Section]" lines and "key=value" lines below
/// them. It is held as its lines, each with the line end it was found with, so that a change
/// touches only the line it is about and every other line (comments, blank lines, sections
/// nobody here knows, stray bytes) is written back exactly as it was read. Section and key
/// names match without regard to letter case; the first match wins.
class PrivateProfile final {
public:
    /// Reads a file (see ReadSettingsFile). A missing file, or anything that is no regular file,
    /// gives an empty profile. `readable` is set false when a file exists but cannot be read, so
    /// that no caller writes over it blindly.
    static PrivateProfile load(const QString& path, bool* readable = nullptr);
    /// A profile from the bytes of a file. The encoding is the file's own: a byte order mark
    /// says UTF-8 or UTF-16; without one the text is UTF-8, also when a few bytes are not, and
    /// CP932 (a file brought over from a Japanese Windows) only when it is not UTF-8 and reads
    /// as CP932 throughout. A UTF-16 or CP932 file is written back as UTF-8.
    static PrivateProfile fromBytes(const QByteArray& bytes);
    /// A profile from text already decoded.
    static PrivateProfile fromText(const QString& text);

    /// The value of a key, without the blanks around it, cut at its first NUL and to
    /// MaxProfileValueBytes; nullopt when the section or the key is absent or a name is empty.
    std::optional<QString> value(const QString& section, const QString& key) const;
    /// Replaces the value of an existing key in place, or adds the key after the last entry of
    /// its section, or adds the section at the end. Returns false, changing nothing, for a name
    /// or value that the format cannot hold (empty names, line breaks or NUL, "=" in a key, "]"
    /// in a section name). Writing the value a key already has changes nothing.
    bool setValue(const QString& section, const QString& key, const QString& value);
    /// Removes the key's lines from its section. Returns whether anything was removed.
    bool removeKey(const QString& section, const QString& key);
    /// Removes every copy of the section: its header and the lines up to the next section.
    /// Returns whether anything was removed.
    bool removeSection(const QString& section);
    /// True when the section is there (its first copy counts for every lookup).
    bool hasSection(const QString& section) const { return findSection(section) >= 0; }
    /// True when the key is there in the section.
    bool hasKey(const QString& section, const QString& key) const { return findEntry(section, key) >= 0; }
    /// True when the profile differs from what was read.
    bool changed() const { return m_changed; }
    /// Takes what the profile holds now as what the file holds (after a save).
    void markSaved() { m_changed = false; }

    /// The text, each line with its own line end.
    QString toText() const;
    /// The bytes of the file: lines that were not changed come out as they were read (a UTF-8
    /// byte order mark included), changed and new lines as UTF-8.
    QByteArray toBytes() const;
    /// Writes toBytes() with ReplaceFile. False when the file could not be replaced.
    bool save(const QString& path) const;

private:
    enum class LineEnd : uint8_t { None, Lf, CrLf, Cr };
    struct Line {
        QString text;
        /// The bytes read for a line that is no valid UTF-8; empty otherwise, and once the line
        /// changes.
        QByteArray raw;
        LineEnd end = LineEnd::Lf;
    };

    void appendLines(const QString& text);
    /// Inserts a line before `at`, ended the way its neighbour above is.
    void insertLine(qsizetype at, const QString& text);
    /// The line end of the file's majority, for lines that have no neighbour to follow.
    LineEnd usualLineEnd() const;

    void ensureIndex() const;
    /// The keys of the first copy of a section (by its folded name), indexed when first asked.
    const QHash<QString, qsizetype>& sectionEntries(const QString& folded) const;
    /// Index of the first header line of the section, or -1.
    qsizetype findSection(const QString& section) const;
    /// Index of the key's first line in the first copy of the section, or -1.
    qsizetype findEntry(const QString& section, const QString& key) const;
    /// One past the last line of the section that starts at `header`.
    qsizetype sectionEnd(qsizetype header) const;

    std::vector<Line> m_lines;
    QByteArray m_bom;
    bool m_changed = false;

    // Lookups go through an index, so that a large file costs one pass and not one pass per
    // key: the headers at once, the keys of a section when one of them is first asked for (a
    // large section nobody reads costs nothing). Changing a value keeps the index, adding lines
    // shifts it, removing lines rebuilds it.
    mutable bool m_indexed = false;
    mutable std::vector<qsizetype> m_headers;                        ///< every header line, in order
    mutable QHash<QString, qsizetype> m_sectionHeader;               ///< folded name → first header line
    mutable QHash<QString, QHash<QString, qsizetype>> m_sectionKeys; ///< folded name → folded key → line
};

/// Reads a value straight from the file; `def` when the file, section or key is absent.
QString ReadProfileString(const QString& path, const QString& section, const QString& key,
                          const QString& def);
/// Reads a value as an integer (see ProfileIntFromText); `def` when it is absent.
qint32 ReadProfileInt(const QString& path, const QString& section, const QString& key, qint32 def);
/// Writes one value, creating the file, section and key as needed. False when nothing was written.
bool WriteProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value);
/// Removes one key; true when the file is left without it (also when it never had it).
bool DeleteProfileKey(const QString& path, const QString& section, const QString& key);
/// Removes one section; true when the file is left without it.
bool DeleteProfileSection(const QString& path, const QString& section);

/// The integer reading of a stored value: an optional minus sign and the digits that follow it;
/// 0 when no digit follows. Values beyond 32 bits stop at the 32-bit limits.
qint32 ProfileIntFromText(const QString& text);

} // namespace tobimaru
