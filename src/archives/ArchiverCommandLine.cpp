#include "archives/ArchiverCommandLine.h"

#include "archives/ArchiverCodes.h"

#include <optional>

namespace tobimaru {

namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

/// Splits at blanks. A token that opens with a double quote runs to the next quote that ends the
/// token (followed by a blank or the end), so a folder name holding a quote survives; nullopt
/// when a quote is never closed.
std::optional<QStringList> Tokens(const QString& line) {
    QStringList tokens;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == QLatin1Char('"')) {
            qsizetype close = -1;
            for (qsizetype j = i + 1; j < n; ++j) {
                if (line[j] == QLatin1Char('"') && (j + 1 == n || IsBlank(line[j + 1]))) {
                    close = j;
                    break;
                }
            }
            if (close < 0)
                return std::nullopt;
            tokens << line.mid(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        qsizetype end = i;
        while (end < n && !IsBlank(line[end]))
            ++end;
        tokens << line.mid(i, end - i);
        i = end;
    }
    return tokens;
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

/// The switches from `first` on, then exactly an archive and a destination, both absolute.
ArchiverCommand ReadRest(const QStringList& tokens, qsizetype first, bool (*accepted)(const QString&),
                         ArchiverCommand command) {
    qsizetype i = first;
    for (; i < tokens.size() && tokens[i].startsWith(QLatin1Char('-')); ++i) {
        if (!accepted(tokens[i])) {
            command.code = ArchiverCode::Command;
            return command;
        }
        command.switches << tokens[i];
    }
    const QStringList paths = tokens.mid(i);
    if (paths.isEmpty() || paths[0].isEmpty()) {
        command.code = ArchiverCode::NoArchiveName;
        return command;
    }
    // A relative path would be read against the process's working folder, which a worker thread
    // does not own; file names after the destination (a selection) are not offered.
    if (paths.size() != 2 || !paths[0].startsWith(QLatin1Char('/')) ||
        !paths[1].startsWith(QLatin1Char('/'))) {
        command.code = ArchiverCode::Command;
        return command;
    }
    command.archive = paths[0];
    command.destination = paths[1];
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
    const std::optional<QStringList> tokens = Tokens(line);
    if (!tokens || tokens->isEmpty() ||
        tokens->front().compare(QLatin1String("e"), Qt::CaseInsensitive) != 0) {
        command.code = ArchiverCode::Command;
        return command;
    }
    command.command = tokens->front().toLower();
    return ReadRest(*tokens, 1, LzhSwitchAccepted, command);
}

ArchiverCommand ParseZipCommandLine(const QString& line) {
    ArchiverCommand command;
    const std::optional<QStringList> tokens = Tokens(line);
    if (!tokens) {
        command.code = ArchiverCode::Command;
        return command;
    }
    return ReadRest(*tokens, 0, ZipSwitchAccepted, command);
}

} // namespace tobimaru
