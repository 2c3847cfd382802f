#include "settings/IniFile.h"

#include "settings/IniSession.h"
#include "settings/PrivateProfile.h"
#include "settings/SettingsConvert.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>

namespace tobimaru {

namespace {

const QString kFileName = QStringLiteral("TobimaruMe.ini");

/// A program installed under a prefix finds its own desktop entry beside its bin folder; a
/// portable copy or a build folder has none there.
bool IsInstalledIn(const QString& applicationDir) {
    return QFileInfo::exists(applicationDir + QStringLiteral("/../share/applications/") +
                             QStringLiteral(TOBIMARU_APP_ID ".desktop"));
}

} // namespace

QString IniPathFor(const QString& applicationDir) {
    const QFileInfo dir(applicationDir);
    if (!applicationDir.isEmpty() && dir.isDir() && dir.isWritable() && !IsInstalledIn(applicationDir))
        return dir.absoluteFilePath() + QLatin1Char('/') + kFileName;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/TobimaruMe/") + kFileName;
}

QString DefaultIniPath() {
    return IniPathFor(QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString());
}

QString IniValue::text() const {
    struct Visitor {
        QString operator()(bool b) const { return BooleanText(b); }
        QString operator()(qint32 n) const { return QString::number(n); }
        QString operator()(float f) const { return SingleText(f); }
        QString operator()(const QString& s) const { return s; }
    };
    return std::visit(Visitor{}, m_value);
}

std::optional<double> IniValue::number() const {
    struct Visitor {
        std::optional<double> operator()(bool b) const { return b ? -1.0 : 0.0; }
        std::optional<double> operator()(qint32 n) const { return double(n); }
        std::optional<double> operator()(float f) const { return double(f); }
        std::optional<double> operator()(const QString& s) const { return ParseNumber(s); }
    };
    return std::visit(Visitor{}, m_value);
}

clsIniFile::clsIniFile()
    : m_pathIniFile(DefaultIniPath()) {}

clsIniFile::clsIniFile(const QString& pathIniFile)
    : m_pathIniFile(pathIniFile) {}

clsIniFile::clsIniFile(IniSession& session)
    : m_pathIniFile(session.path())
    , m_session(&session) {}

IniSession* clsIniFile::sessionFor(const QString& path) const {
    return m_session && path == m_session->path() ? m_session : nullptr;
}

void clsIniFile::setPathIniFile(const QString& path) {
    m_pathIniFile = path;
    RefreshValue();
}

void clsIniFile::setSection(const QString& name) {
    m_section = name;
    RefreshValue();
}

void clsIniFile::setKey(const QString& name) {
    m_key = name;
    RefreshValue();
}

void clsIniFile::setStrValue(const QString& value) {
    m_strValue = value;
    SetValue(value);
}

void clsIniFile::setLngValue(qint32 value) {
    m_lngValue = value;
    SetValue(int(value));
}

void clsIniFile::setValue(const IniValue& value) {
    SetValue(value);
}

bool clsIniFile::SetValue(const IniValue& vValue, const QString& iniFilePath, const QString& sectionName,
                          const QString& keyName) {
    try {
        const QString text = vValue.text();
        const QString path = pathOr(iniFilePath);
        IniSession* session = sessionFor(path);
        const bool written = session ? session->setValue(sectionOr(sectionName), keyOr(keyName), text)
                                     : WriteProfileString(path, sectionOr(sectionName), keyOr(keyName), text);
        m_strValue = text;
        const auto number = vValue.number();
        m_lngValue = number ? RoundToInt32(*number) : 0;
        // Unlike the system call this replaces, a write that did not reach the disk is reported.
        return written;
    } catch (const std::exception&) {
        return false;
    }
}

QString clsIniFile::GetStrValue(const QString& iniFilePath, const QString& sectionName,
                                const QString& keyName, const QString& strDef) const {
    return ReadProfileString(sectionOr(sectionName), keyOr(keyName), pathOr(iniFilePath), strDef);
}

qint32 clsIniFile::GetIntValue(const QString& iniFilePath, const QString& sectionName, const QString& keyName,
                               qint32 lngDef) const {
    const QString path = pathOr(iniFilePath);
    if (const IniSession* session = sessionFor(path)) {
        const auto text = session->value(sectionOr(sectionName), keyOr(keyName));
        return text ? ProfileIntFromText(*text) : lngDef;
    }
    return ReadProfileInt(path, sectionOr(sectionName), keyOr(keyName), lngDef);
}

bool clsIniFile::DeleteKey(const QString& iniFilePath, const QString& sectionName, const QString& keyName) {
    const QString path = pathOr(iniFilePath);
    IniSession* session = sessionFor(path);
    const bool done = session ? session->removeKey(sectionOr(sectionName), keyOr(keyName))
                              : DeleteProfileKey(path, sectionOr(sectionName), keyOr(keyName));
    m_strValue.clear();
    m_lngValue = 0;
    return done;
}

bool clsIniFile::DeleteSection(const QString& iniFilePath, const QString& sectionName) {
    const QString path = pathOr(iniFilePath);
    IniSession* session = sessionFor(path);
    const bool done = session ? session->removeSection(sectionOr(sectionName))
                              : DeleteProfileSection(path, sectionOr(sectionName));
    m_strValue.clear();
    m_lngValue = 0;
    return done;
}

bool clsIniFile::FileExistsAt(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

void clsIniFile::RefreshValue() {
    // A session answers for its file whether or not the file exists yet.
    if (sessionFor(m_pathIniFile) || FileExistsAt(m_pathIniFile)) {
        m_strValue = GetStrValue({}, {}, {}, QString());
        m_lngValue = GetIntValue({}, {}, {}, 0);
    } else {
        m_strValue.clear();
        m_lngValue = 0;
    }
}

QString clsIniFile::ReadProfileString(const QString& section, const QString& key, const QString& path,
                                      const QString& def) const {
    if (const IniSession* session = sessionFor(path))
        return session->value(section, key).value_or(def);
    return tobimaru::ReadProfileString(path, section, key, def);
}

} // namespace tobimaru
