#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tobimaru {

/// The longest value a read hands back, in UTF-8 bytes. Longer values are cut on a character
/// boundary, so a read never returns half a character.
inline constexpr int MaxProfileValueBytes = 4095;

/// A settings file in the classic profile format: "[Section]" lines and "key=value" lines below
/// them. It is held as its lines, so that a change touches only the line it is about and every
/// other line (comments, blank lines, sections nobody here knows) stays exactly as it was.
/// Section and key names match without regard to letter case; the first match wins.
class PrivateProfile final {
public:
    /// Reads a file. A missing file gives an empty profile. Text that is not valid UTF-8 is
    /// taken as CP932 (a file brought over from a Japanese Windows). `readable` is set false
    /// when the file exists but cannot be read, so that no caller writes over it blindly.
    static PrivateProfile load(const QString& path, bool* readable = nullptr);
    /// A profile from text already decoded.
    static PrivateProfile fromText(const QString& text);

    /// The value of a key, without the blanks around it and cut to MaxProfileValueBytes;
    /// nullopt when the section or the key is absent or a name is empty.
    std::optional<QString> value(const QString& section, const QString& key) const;
    /// Replaces the value of an existing key in place, or adds the key after the last entry of
    /// its section, or adds the section at the end. Returns false, changing nothing, for a name
    /// or value that the format cannot hold (empty names, line breaks, "=" in a key, "]" in a
    /// section name).
    bool setValue(const QString& section, const QString& key, const QString& value);
    /// Removes the key's lines from its section. Returns whether anything was removed.
    bool removeKey(const QString& section, const QString& key);
    /// Removes the section's header and every line up to the next section. Returns whether
    /// anything was removed.
    bool removeSection(const QString& section);

    /// The file's text, lines ended the way the file that was read ended them.
    QString toText() const;
    /// Writes the text as UTF-8 into a new file that then replaces `path` in one rename, so a
    /// crash never leaves half a file; makes the folder when it is missing.
    bool save(const QString& path) const;

private:
    /// Index of the first header line of the section, or -1.
    qsizetype findSection(const QString& section) const;
    /// One past the last line of the section that starts at `header`.
    qsizetype sectionEnd(qsizetype header) const;

    QStringList m_lines;
    QString m_newline = QStringLiteral("\n");
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
