#include "settings/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <limits>

namespace tobimaru {

namespace {

QString Decode(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // ICU knows the Windows flavour of Shift_JIS (NEC and IBM extensions) as CP932; plain
    // Shift_JIS is the fallback for a Qt built with another ICU alias table.
    for (const char* name : {"CP932", "Shift_JIS"}) {
        QStringDecoder sjis(name);
        if (sjis.isValid())
            return sjis.decode(bytes);
    }
    return QString::fromLocal8Bit(bytes);
}

bool IsComment(const QString& trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

/// The section name of a header line ("[ name ]" → "name"), or nullopt for other lines.
std::optional<QString> HeaderName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    return t.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

/// The key of an entry line, or nullopt for lines that are no entries.
std::optional<QString> EntryKey(const QString& line) {
    const QString t = line.trimmed();
    if (t.isEmpty() || IsComment(t) || t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return t.left(eq).trimmed();
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool HasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r')) || s.contains(QChar(0));
}

QString CutToLimit(const QString& value) {
    QByteArray bytes = value.toUtf8();
    if (bytes.size() <= MaxProfileValueBytes)
        return value;
    qsizetype n = MaxProfileValueBytes;
    // Step back over continuation bytes so the character that straddles the limit goes whole.
    while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80)
        --n;
    return QString::fromUtf8(bytes.left(n));
}

} // namespace

PrivateProfile PrivateProfile::load(const QString& path, bool* readable) {
    if (readable)
        *readable = true;
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        if (readable)
            *readable = false;
        return {};
    }
    return fromText(Decode(file.readAll()));
}

PrivateProfile PrivateProfile::fromText(const QString& text) {
    PrivateProfile p;
    if (text.contains(QLatin1String("\r\n")))
        p.m_newline = QStringLiteral("\r\n");
    p.m_lines = text.split(QLatin1Char('\n'));
    if (!p.m_lines.isEmpty() && p.m_lines.last().isEmpty())
        p.m_lines.removeLast();
    for (QString& line : p.m_lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return p;
}

qsizetype PrivateProfile::findSection(const QString& section) const {
    if (section.trimmed().isEmpty())
        return -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = HeaderName(m_lines[i]);
        if (name && SameName(*name, section.trimmed()))
            return i;
    }
    return -1;
}

qsizetype PrivateProfile::sectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < m_lines.size() && !HeaderName(m_lines[i]))
        ++i;
    return i;
}

std::optional<QString> PrivateProfile::value(const QString& section, const QString& key) const {
    const QString k = key.trimmed();
    const qsizetype header = findSection(section);
    if (header < 0 || k.isEmpty())
        return std::nullopt;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto entry = EntryKey(m_lines[i]);
        if (entry && SameName(*entry, k)) {
            const QString& line = m_lines[i];
            return CutToLimit(line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed());
        }
    }
    return std::nullopt;
}

bool PrivateProfile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    if (s.isEmpty() || k.isEmpty() || HasLineBreak(s) || HasLineBreak(k) || HasLineBreak(value) ||
        s.contains(QLatin1Char(']')) || k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char('[')) ||
        IsComment(k))
        return false;

    const qsizetype header = findSection(s);
    if (header < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(QLatin1Char('[') + s + QLatin1Char(']'));
        m_lines.append(k + QLatin1Char('=') + value);
        return true;
    }
    const qsizetype end = sectionEnd(header);
    qsizetype lastContent = header;
    for (qsizetype i = header + 1; i < end; ++i) {
        QString& line = m_lines[i];
        const auto entry = EntryKey(line);
        if (entry && SameName(*entry, k)) {
            // The key keeps its spelling and spacing; only the text after "=" changes.
            line = line.left(line.indexOf(QLatin1Char('=')) + 1) + value;
            return true;
        }
        if (!line.trimmed().isEmpty())
            lastContent = i;
    }
    m_lines.insert(lastContent + 1, k + QLatin1Char('=') + value);
    return true;
}

bool PrivateProfile::removeKey(const QString& section, const QString& key) {
    const QString k = key.trimmed();
    const qsizetype header = findSection(section);
    if (header < 0 || k.isEmpty())
        return false;
    bool removed = false;
    qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end;) {
        const auto entry = EntryKey(m_lines[i]);
        if (entry && SameName(*entry, k)) {
            m_lines.removeAt(i);
            --end;
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

bool PrivateProfile::removeSection(const QString& section) {
    bool removed = false;
    // A hand-edited file may repeat a section; none of its copies may survive the removal.
    for (qsizetype header = findSection(section); header >= 0; header = findSection(section)) {
        m_lines.remove(header, sectionEnd(header) - header);
        removed = true;
    }
    return removed;
}

QString PrivateProfile::toText() const {
    if (m_lines.isEmpty())
        return {};
    return m_lines.join(m_newline) + m_newline;
}

bool PrivateProfile::save(const QString& path) const {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toText().toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString ReadProfileString(const QString& path, const QString& section, const QString& key,
                          const QString& def) {
    return PrivateProfile::load(path).value(section, key).value_or(def);
}

qint32 ReadProfileInt(const QString& path, const QString& section, const QString& key, qint32 def) {
    const auto text = PrivateProfile::load(path).value(section, key);
    return text ? ProfileIntFromText(*text) : def;
}

bool WriteProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value) {
    bool readable = true;
    PrivateProfile profile = PrivateProfile::load(path, &readable);
    if (!readable)
        return false;
    const QString before = profile.toText();
    if (!profile.setValue(section, key, value))
        return false;
    // Every save syncs the disk; a value written again unchanged (most of them at exit) costs
    // a read only.
    if (QFile::exists(path) && profile.toText() == before)
        return true;
    return profile.save(path);
}

bool DeleteProfileKey(const QString& path, const QString& section, const QString& key) {
    bool readable = true;
    PrivateProfile profile = PrivateProfile::load(path, &readable);
    if (!readable)
        return false;
    return !profile.removeKey(section, key) || profile.save(path);
}

bool DeleteProfileSection(const QString& path, const QString& section) {
    bool readable = true;
    PrivateProfile profile = PrivateProfile::load(path, &readable);
    if (!readable)
        return false;
    return !profile.removeSection(section) || profile.save(path);
}

qint32 ProfileIntFromText(const QString& text) {
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == QLatin1Char('-');
    if (negative)
        ++i;
    qint64 n = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        n = std::min(limit, n * 10 + (text[i].unicode() - '0'));
    if (negative)
        return static_cast<qint32>(-n);
    return static_cast<qint32>(std::min(n, limit - 1));
}

} // namespace tobimaru
