#include "settings/PrivateProfile.h"

#include "settings/IniSession.h"
#include "settings/ProfileEncoding.h"
#include "settings/SettingsFile.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <limits>

namespace tobimaru {

namespace {

// Only the blanks an editor puts around names and values; a full-width space is text, and
// Japanese values may well begin or end with one.
bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\v') ||
           c == QLatin1Char('\f');
}

QStringView TrimBlanks(QStringView s) {
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && IsBlank(s[from]))
        ++from;
    while (to > from && IsBlank(s[to - 1]))
        --to;
    return s.mid(from, to - from);
}

bool IsComment(QStringView trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

/// The section name of a header line ("[ name ]" → "name"), or nullopt for other lines.
std::optional<QStringView> HeaderName(QStringView trimmed) {
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return TrimBlanks(trimmed.mid(1, close < 0 ? -1 : close - 1));
}

/// The key of an entry line, or nullopt for lines that are no entries.
std::optional<QStringView> EntryKey(QStringView trimmed) {
    if (trimmed.isEmpty() || IsComment(trimmed) || trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return TrimBlanks(trimmed.left(eq));
}

QString Fold(QStringView name) {
    return name.toString().toCaseFolded();
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

/// Lines of text or bytes: [start, start + length) and the line end that follows.
template <typename Text, typename Char> struct LineSplitter {
    const Text& text;
    template <typename Out> void operator()(Out&& out) const {
        const qsizetype n = text.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i < n; ++i) {
            if (text[i] == Char('\n')) {
                out(start, i - start, 1);
                start = i + 1;
            } else if (text[i] == Char('\r')) {
                const bool pair = i + 1 < n && text[i + 1] == Char('\n');
                out(start, i - start, pair ? 2 : 3);
                if (pair)
                    ++i;
                start = i + 1;
            }
        }
        if (start < n)
            out(start, n - start, 0);
    }
};

} // namespace

PrivateProfile PrivateProfile::load(const QString& path, bool* readable) {
    QByteArray bytes;
    const FileRead read = ReadSettingsFile(path, bytes);
    if (readable)
        *readable = read != FileRead::Unreadable;
    return read == FileRead::Read ? fromBytes(bytes) : PrivateProfile();
}

void PrivateProfile::appendLines(const QString& text) {
    LineSplitter<QString, QLatin1Char>{text}([&](qsizetype start, qsizetype length, int end) {
        m_lines.push_back({text.mid(start, length), {}, LineEnd(end)});
    });
}

PrivateProfile PrivateProfile::fromText(const QString& text) {
    PrivateProfile p;
    p.appendLines(text);
    return p;
}

PrivateProfile PrivateProfile::fromBytes(const QByteArray& bytes) {
    PrivateProfile p;
    const ByteOrderMark mark = FindByteOrderMark(bytes);
    if (mark == ByteOrderMark::Utf16LE || mark == ByteOrderMark::Utf16BE) {
        // Notepad's "Unicode": read as such, and written back as UTF-8 like every file we write.
        QStringDecoder utf16(mark == ByteOrderMark::Utf16LE ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        p.appendLines(utf16.decode(bytes.mid(ByteOrderMarkLength(mark))));
        return p;
    }
    const bool bom = mark == ByteOrderMark::Utf8;
    if (bom)
        p.m_bom = bytes.left(ByteOrderMarkLength(mark));
    const QByteArray body = bytes.mid(ByteOrderMarkLength(mark));

    struct Span {
        qsizetype start, length;
        int end;
        bool bad;
    };
    std::vector<Span> spans;
    Utf8Count total;
    LineSplitter<QByteArray, char>{body}([&](qsizetype start, qsizetype length, int end) {
        const Utf8Count c = CountUtf8(body.constData() + start, length);
        total.multiByte += c.multiByte;
        total.bad += c.bad;
        spans.push_back({start, length, end, c.bad > 0});
    });

    const bool utf8 = bom || ReadAsUtf8(total, body);
    p.m_lines.reserve(spans.size());
    if (utf8) {
        for (const Span& s : spans) {
            const char* data = body.constData() + s.start;
            // The bytes of a line that is no valid UTF-8 are kept, so that the line is written
            // back exactly as it was found unless it is changed.
            p.m_lines.push_back({QString::fromUtf8(data, s.length),
                                 s.bad ? QByteArray(data, s.length) : QByteArray(), LineEnd(s.end)});
        }
    } else {
        QStringDecoder cp932 = Cp932Decoder();
        for (const Span& s : spans)
            p.m_lines.push_back({cp932.decode(body.mid(s.start, s.length)), {}, LineEnd(s.end)});
    }
    return p;
}

PrivateProfile::LineEnd PrivateProfile::usualLineEnd() const {
    std::array<qsizetype, 4> counts{};
    for (const Line& line : m_lines)
        ++counts[size_t(line.end)];
    LineEnd best = LineEnd::Lf;
    for (LineEnd e : {LineEnd::CrLf, LineEnd::Cr}) {
        if (counts[size_t(e)] > counts[size_t(best)])
            best = e;
    }
    return best;
}

void PrivateProfile::insertLine(qsizetype at, const QString& text) {
    Line line{text, {}, LineEnd::Lf};
    if (at > 0) {
        Line& above = m_lines[size_t(at - 1)];
        if (above.end == LineEnd::None) {
            // The line above was the last and ended with the file; the new last line does.
            above.end = usualLineEnd();
            line.end = LineEnd::None;
        } else {
            line.end = above.end;
        }
    } else if (!m_lines.empty()) {
        line.end = usualLineEnd();
    }
    m_lines.insert(m_lines.begin() + at, std::move(line));
    m_changed = true;
    if (!m_indexed)
        return;

    for (qsizetype& h : m_headers)
        h += h >= at ? 1 : 0;
    for (qsizetype& i : m_sectionHeader)
        i += i >= at ? 1 : 0;
    for (QHash<QString, qsizetype>& keys : m_sectionKeys) {
        for (qsizetype& i : keys)
            i += i >= at ? 1 : 0;
    }
    const QStringView t = TrimBlanks(m_lines[size_t(at)].text);
    if (const auto name = HeaderName(t)) {
        // A header within the file would move the lines below it into its section: start over.
        if (at != qsizetype(m_lines.size()) - 1) {
            m_indexed = false;
            return;
        }
        m_headers.push_back(at);
        if (const QString folded = Fold(*name); !m_sectionHeader.contains(folded))
            m_sectionHeader.insert(folded, at);
        return;
    }
    const auto key = EntryKey(t);
    const auto above = std::upper_bound(m_headers.begin(), m_headers.end(), at);
    if (!key || key->isEmpty() || above == m_headers.begin())
        return;
    const qsizetype header = *(above - 1);
    const QString section = Fold(*HeaderName(TrimBlanks(m_lines[size_t(header)].text)));
    const auto keys = m_sectionKeys.find(section);
    if (m_sectionHeader.value(section, -1) != header || keys == m_sectionKeys.end())
        return;
    if (const QString folded = Fold(*key); !keys->contains(folded))
        keys->insert(folded, at);
}

void PrivateProfile::ensureIndex() const {
    if (m_indexed)
        return;
    m_headers.clear();
    m_sectionHeader.clear();
    m_sectionKeys.clear();
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i) {
        if (const auto name = HeaderName(TrimBlanks(m_lines[size_t(i)].text))) {
            m_headers.push_back(i);
            if (const QString folded = Fold(*name); !m_sectionHeader.contains(folded))
                m_sectionHeader.insert(folded, i);
        }
    }
    m_indexed = true;
}

const QHash<QString, qsizetype>& PrivateProfile::sectionEntries(const QString& folded) const {
    ensureIndex();
    auto it = m_sectionKeys.find(folded);
    if (it != m_sectionKeys.end())
        return *it;
    QHash<QString, qsizetype> keys;
    if (const qsizetype header = m_sectionHeader.value(folded, -1); header >= 0) {
        const qsizetype end = sectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            if (const auto key = EntryKey(TrimBlanks(m_lines[size_t(i)].text)); key && !key->isEmpty()) {
                if (const QString k = Fold(*key); !keys.contains(k))
                    keys.insert(k, i);
            }
        }
    }
    return *m_sectionKeys.insert(folded, std::move(keys));
}

qsizetype PrivateProfile::findSection(const QString& section) const {
    const QStringView s = TrimBlanks(section);
    if (s.isEmpty())
        return -1;
    ensureIndex();
    return m_sectionHeader.value(Fold(s), -1);
}

qsizetype PrivateProfile::findEntry(const QString& section, const QString& key) const {
    const QStringView s = TrimBlanks(section);
    const QStringView k = TrimBlanks(key);
    if (s.isEmpty() || k.isEmpty())
        return -1;
    return sectionEntries(Fold(s)).value(Fold(k), -1);
}

qsizetype PrivateProfile::sectionEnd(qsizetype header) const {
    ensureIndex();
    const auto next = std::upper_bound(m_headers.begin(), m_headers.end(), header);
    return next == m_headers.end() ? qsizetype(m_lines.size()) : *next;
}

std::optional<QString> PrivateProfile::value(const QString& section, const QString& key) const {
    const qsizetype i = findEntry(section, key);
    if (i < 0)
        return std::nullopt;
    const QString& line = m_lines[size_t(i)].text;
    QStringView v = TrimBlanks(QStringView(line).mid(line.indexOf(QLatin1Char('=')) + 1));
    // As a C string would: the value ends at its first NUL.
    if (const qsizetype nul = v.indexOf(QChar(0)); nul >= 0)
        v = v.left(nul);
    return CutToLimit(v.toString());
}

bool PrivateProfile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString s = TrimBlanks(section).toString();
    const QString k = TrimBlanks(key).toString();
    if (s.isEmpty() || k.isEmpty() || HasLineBreak(s) || HasLineBreak(k) || HasLineBreak(value) ||
        s.contains(QLatin1Char(']')) || k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char('[')) ||
        IsComment(k))
        return false;

    const qsizetype header = findSection(s);
    if (header < 0) {
        if (!m_lines.empty() && !TrimBlanks(m_lines.back().text).isEmpty())
            insertLine(qsizetype(m_lines.size()), QString());
        insertLine(qsizetype(m_lines.size()), QLatin1Char('[') + s + QLatin1Char(']'));
        insertLine(qsizetype(m_lines.size()), k + QLatin1Char('=') + value);
        return true;
    }
    if (const qsizetype i = findEntry(s, k); i >= 0) {
        Line& line = m_lines[size_t(i)];
        // The key keeps its spelling and spacing; only the text after "=" changes, and a value
        // that reads the same already leaves the line (and its bytes) as they are.
        const QString text = line.text.left(line.text.indexOf(QLatin1Char('=')) + 1) + value;
        if (text == line.text || this->value(s, k) == value)
            return true;
        line.text = text;
        line.raw.clear();
        m_changed = true;
        return true;
    }
    qsizetype last = sectionEnd(header) - 1;
    while (last > header && TrimBlanks(m_lines[size_t(last)].text).isEmpty())
        --last;
    insertLine(last + 1, k + QLatin1Char('=') + value);
    return true;
}

bool PrivateProfile::removeKey(const QString& section, const QString& key) {
    const qsizetype header = findSection(section);
    if (header < 0 || findEntry(section, key) < 0)
        return false;
    const QString k = Fold(TrimBlanks(key));
    const qsizetype end = sectionEnd(header);
    const auto first = m_lines.begin() + header + 1;
    const auto last = m_lines.begin() + end;
    m_lines.erase(std::remove_if(first, last,
                                 [&k](const Line& line) {
                                     const auto entry = EntryKey(TrimBlanks(line.text));
                                     return entry && Fold(*entry) == k;
                                 }),
                  last);
    m_indexed = false;
    m_changed = true;
    return true;
}

bool PrivateProfile::removeSection(const QString& section) {
    bool removed = false;
    // A hand-edited file may repeat a section; none of its copies may survive the removal.
    for (qsizetype header = findSection(section); header >= 0; header = findSection(section)) {
        m_lines.erase(m_lines.begin() + header, m_lines.begin() + sectionEnd(header));
        m_indexed = false;
        removed = true;
    }
    m_changed = m_changed || removed;
    return removed;
}

namespace {

const char* LineEndText(int end) {
    static const char* const kEnds[] = {"", "\n", "\r\n", "\r"};
    return kEnds[end];
}

} // namespace

QString PrivateProfile::toText() const {
    QString text;
    for (const Line& line : m_lines)
        text += line.text + QLatin1String(LineEndText(int(line.end)));
    return text;
}

QByteArray PrivateProfile::toBytes() const {
    QByteArray bytes = m_bom;
    bytes.reserve(qsizetype(m_lines.size()) * 32);
    for (const Line& line : m_lines) {
        bytes += line.raw.isEmpty() ? line.text.toUtf8() : line.raw;
        bytes += LineEndText(int(line.end));
    }
    return bytes;
}

bool PrivateProfile::save(const QString& path) const {
    return ReplaceFile(path, toBytes());
}

QString ReadProfileString(const QString& path, const QString& section, const QString& key,
                          const QString& def) {
    return IniSession(path).value(section, key).value_or(def);
}

qint32 ReadProfileInt(const QString& path, const QString& section, const QString& key, qint32 def) {
    const auto text = IniSession(path).value(section, key);
    return text ? ProfileIntFromText(*text) : def;
}

bool WriteProfileString(const QString& path, const QString& section, const QString& key,
                        const QString& value) {
    IniSession session(path);
    return session.setValue(section, key, value) && session.commit();
}

bool DeleteProfileKey(const QString& path, const QString& section, const QString& key) {
    IniSession session(path);
    return session.removeKey(section, key) && session.commit();
}

bool DeleteProfileSection(const QString& path, const QString& section) {
    IniSession session(path);
    return session.removeSection(section) && session.commit();
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
