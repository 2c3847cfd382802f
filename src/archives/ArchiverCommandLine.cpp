#include "archives/ArchiverCommandLine.h"

#include "archives/ArchiverCodes.h"

#include <algorithm>
#include <optional>

namespace tobimaru {

namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

/// The next blank-separated word from `pos` on (blanks before it skipped); `pos` moves past it.
QString NextWord(const QString& line, qsizetype& pos) {
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    const qsizetype start = pos;
    while (pos < line.size() && !IsBlank(line[pos]))
        ++pos;
    return line.mid(start, pos - start);
}

/// One path as the front-end writes it: in double quotes (which may hold anything, quotes too),
/// or bare without blanks. nullopt for anything else.
std::optional<QString> PathToken(const QString& text) {
    if (text.startsWith(QLatin1Char('"'))) {
        if (text.size() < 2 || !text.endsWith(QLatin1Char('"')))
            return std::nullopt;
        return text.mid(1, text.size() - 2);
    }
    if (text.isEmpty() || std::any_of(text.begin(), text.end(), IsBlank))
        return std::nullopt;
    return text;
}

/// True for "-x1m1"-style switches: after the dash, groups of a letter and an optional digit,
/// each group one of the accepted ones.
bool LzhSwitchAccepted(const QString& token) {
    qsizetype i = 1;
    if (token.size() < 2)
        return false;
    while (i < token.size()) {
        const QChar letter = token[i++].toLower();
        QString digits;
        while (i < token.size() && token[i].isDigit())
            digits += token[i++];
        const bool ok =
            (letter == QLatin1Char('x') && (digits.isEmpty() || digits == QLatin1String("1"))) ||
            (letter == QLatin1Char('m') && (digits == QLatin1String("0") || digits == QLatin1String("1")));
        if (!ok)
            return false;
    }
    return true;
}

// The front-end passes these as one fixed set; none of them changes how we extract.
constexpr const char* kZipSwitches[] = {"-x", "-s", "-V", "-i", "-C"};

bool ZipSwitchAccepted(const QString& token) {
    for (const char* s : kZipSwitches) {
        if (token == QLatin1String(s))
            return true;
    }
    return false;
}

/// The switches from `pos` on, then exactly an archive and a destination, both absolute.
/// Quoting cannot escape a quote, so a path holding one could be split in more than one way:
/// every split into two well-formed paths is tried, and a line that allows more than one is
/// refused rather than guessed at (a wrong guess would extract somewhere else).
ArchiverCommand ReadRest(const QString& line, qsizetype pos, bool (*accepted)(const QString&),
                         ArchiverCommand command) {
    for (;;) {
        qsizetype next = pos;
        const QString word = NextWord(line, next);
        if (!word.startsWith(QLatin1Char('-')))
            break;
        if (!accepted(word)) {
            command.code = ArchiverCode::Command;
            return command;
        }
        command.switches << word;
        pos = next;
    }
    const QString paths = line.mid(pos).trimmed();
    if (paths.isEmpty() || paths.startsWith(QLatin1String("\"\""))) {
        command.code = ArchiverCode::NoArchiveName;
        return command;
    }
    int splits = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (!IsBlank(paths[i]) || (i > 0 && IsBlank(paths[i - 1])))
            continue;
        const std::optional<QString> archive = PathToken(paths.left(i).trimmed());
        const std::optional<QString> destination = PathToken(paths.mid(i).trimmed());
        // A relative path would be read against the process's working folder, which a worker
        // thread does not own.
        if (!archive || !destination || !archive->startsWith(QLatin1Char('/')) ||
            !destination->startsWith(QLatin1Char('/')))
            continue;
        ++splits;
        command.archive = *archive;
        command.destination = *destination;
    }
    // None: no destination, a relative path, or a selection of files after the destination,
    // which is not offered.
    if (splits != 1) {
        command.code = ArchiverCode::Command;
        command.archive.clear();
        command.destination.clear();
    }
    return command;
}

} // namespace

QString QuotePath(const QString& text) {
    if (text.contains(QLatin1Char('.')) || text.contains(QLatin1Char(' ')))
        return QLatin1Char('"') + text + QLatin1Char('"');
    return text;
}

QString WithTrailingSeparator(const QString& path) {
    QString p = path;
    while (p.endsWith(QLatin1Char(' ')))
        p.chop(1);
    if (!p.endsWith(QLatin1Char('/')))
        p += QLatin1Char('/');
    return p;
}

QString LzhCommandLine(const QString& command, const QString& switches, const QString& archive,
                       const QString& destination) {
    const QChar sp = QLatin1Char(' ');
    return command + sp + switches + sp + QuotePath(archive) + sp +
           QuotePath(WithTrailingSeparator(destination)) + sp;
}

QString ZipCommandLine(const QString& switches, const QString& archive, const QString& destination) {
    const QChar sp = QLatin1Char(' ');
    return switches + sp + QuotePath(archive) + sp + QuotePath(WithTrailingSeparator(destination)) + sp;
}

ArchiverCommand ParseLzhCommandLine(const QString& line) {
    ArchiverCommand command;
    qsizetype pos = 0;
    const QString word = NextWord(line, pos);
    if (word.compare(QLatin1String("e"), Qt::CaseInsensitive) != 0) {
        command.code = ArchiverCode::Command;
        return command;
    }
    command.command = word.toLower();
    return ReadRest(line, pos, LzhSwitchAccepted, command);
}

ArchiverCommand ParseZipCommandLine(const QString& line) {
    return ReadRest(line, 0, ZipSwitchAccepted, ArchiverCommand{});
}

} // namespace tobimaru
