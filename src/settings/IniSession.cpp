#include "settings/IniSession.h"

#include "settings/SettingsFile.h"

namespace tobimaru {

IniSession::IniSession(const QString& path)
    : m_path(path) {
    QByteArray bytes;
    switch (ReadSettingsFile(path, bytes)) {
    case FileRead::Read:
        m_profile = PrivateProfile::fromBytes(bytes);
        m_writable = !IsWriteProtected(path);
        break;
    case FileRead::Unreadable:
        m_writable = false;
        break;
    case FileRead::Missing:
        break;
    }
}

std::optional<QString> IniSession::value(const QString& section, const QString& key) const {
    return m_profile.value(section, key);
}

bool IniSession::setValue(const QString& section, const QString& key, const QString& value) {
    return m_writable && m_profile.setValue(section, key, value);
}

bool IniSession::removeKey(const QString& section, const QString& key) {
    if (!m_profile.hasKey(section, key))
        return true;
    return m_writable && m_profile.removeKey(section, key);
}

bool IniSession::removeSection(const QString& section) {
    if (!m_profile.hasSection(section))
        return true;
    return m_writable && m_profile.removeSection(section);
}

bool IniSession::commit() {
    if (!m_profile.changed())
        return true;
    if (!m_profile.save(m_path))
        return false;
    m_profile.markSaved();
    return true;
}

} // namespace tobimaru
