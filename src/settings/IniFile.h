#pragma once

#include <QString>
#include <optional>
#include <variant>

namespace tobimaru {

/// The settings file's place: beside the executable when that folder is writable (a portable
/// copy), otherwise ~/.config/TobimaruMe/TobimaruMe.ini. An installed copy (its desktop entry in
/// ../share/applications) always uses the latter, even where root or a user's ~/.local/bin could
/// write beside it. Needs a QCoreApplication for the executable's folder.
QString DefaultIniPath();
/// The same rule for a given executable folder.
QString IniPathFor(const QString& applicationDir);

/// A value for SetValue; each kind has its own text form in the file.
class IniValue final {
public:
    IniValue(bool value)
        : m_value(value) {}
    IniValue(int value)
        : m_value(qint32(value)) {}
    IniValue(float value)
        : m_value(value) {}
    IniValue(const QString& value)
        : m_value(value) {}
    IniValue(const char* value)
        : m_value(QString::fromUtf8(value)) {}
    /// Sizes are stored in single precision: say so with a float.
    IniValue(double) = delete;

    /// "True"/"False", decimal digits, the shortest single-precision text, or the string itself.
    QString text() const;
    /// The numeric reading: -1/0 for a Boolean, the number itself, the number a numeric text
    /// stands for; nullopt for other text.
    std::optional<double> number() const;

private:
    std::variant<bool, qint32, float, QString> m_value;
};

class IniSession;

/// The one access to the settings file. It remembers a file, a section and a key, so a caller
/// can set them once and then read or write several keys. In every method an empty
/// `iniFilePath`, `sectionName` or `keyName` stands for the object's current path, section or
/// key; the methods never change those three. On its own every read and write goes to the
/// file; nothing is held open. Bound to a session, the reads and writes of the session's file
/// go to the session, which the owner commits once.
class clsIniFile final {
public:
    /// Starts at DefaultIniPath(), without touching the file.
    clsIniFile();
    /// Starts at the given file, without touching it.
    explicit clsIniFile(const QString& pathIniFile);
    /// Starts at the session's file and works through the session, which must outlive it.
    explicit clsIniFile(IniSession& session);

    QString pathIniFile() const { return m_pathIniFile; }
    /// Stores the path, then refreshes the cached values.
    void setPathIniFile(const QString& path);
    QString section() const { return m_section; }
    /// Stores the section name, then refreshes the cached values.
    void setSection(const QString& name);
    QString key() const { return m_key; }
    /// Stores the key name, then refreshes the cached values.
    void setKey(const QString& name);

    /// The cached text of the current key.
    QString strValue() const { return m_strValue; }
    /// Caches the text and writes it to the current file, section and key.
    void setStrValue(const QString& value);
    /// The cached number of the current key.
    qint32 lngValue() const { return m_lngValue; }
    /// Caches the number and writes it to the current file, section and key.
    void setLngValue(qint32 value);
    /// Writes the value's text form to the current file, section and key (write-only property).
    void setValue(const IniValue& value);

    /// Writes the text form of `vValue`, creating file, section and key as needed, and caches
    /// that text and its numeric reading (0 for text that is no number). Returns false when the
    /// write failed; the cache may then be partly updated. Through a session, true means the
    /// session took the value; its commit tells whether the file got it.
    bool SetValue(const IniValue& vValue, const QString& iniFilePath = {}, const QString& sectionName = {},
                  const QString& keyName = {});
    /// The key's text (whole up to MaxProfileValueBytes), `strDef` when it is absent. Never fails.
    QString GetStrValue(const QString& iniFilePath, const QString& sectionName, const QString& keyName,
                        const QString& strDef) const;
    /// The key's integer reading (optional minus and leading digits; none: 0), `lngDef` when it
    /// is absent. Never fails.
    qint32 GetIntValue(const QString& iniFilePath, const QString& sectionName, const QString& keyName,
                       qint32 lngDef) const;
    /// Removes one key and clears the cache. False when the file could not be rewritten.
    bool DeleteKey(const QString& iniFilePath, const QString& sectionName, const QString& keyName);
    /// Removes one section and clears the cache. False when the file could not be rewritten.
    bool DeleteSection(const QString& iniFilePath, const QString& sectionName);

private:
    static bool FileExistsAt(const QString& path);
    void RefreshValue();
    QString ReadProfileString(const QString& section, const QString& key, const QString& path,
                              const QString& def) const;
    QString pathOr(const QString& path) const { return path.isEmpty() ? m_pathIniFile : path; }
    QString sectionOr(const QString& name) const { return name.isEmpty() ? m_section : name; }
    QString keyOr(const QString& name) const { return name.isEmpty() ? m_key : name; }
    /// The session when `path` is its file, else nullptr (the call goes to the file itself).
    IniSession* sessionFor(const QString& path) const;

    QString m_pathIniFile;
    QString m_section;
    QString m_key;
    QString m_strValue;
    qint32 m_lngValue = 0;
    IniSession* m_session = nullptr;
};

} // namespace tobimaru
