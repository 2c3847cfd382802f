#include "platform/MountTable.h"

#include "base/FileNames.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace tobimaru {

namespace {

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

int HexValue(QChar c) {
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    return -1;
}

// The separator between the optional fields and the file-system type is a lone "-".
qsizetype SeparatorIndex(const QList<QByteArray>& fields) {
    for (qsizetype i = 6; i < fields.size(); ++i) {
        if (fields[i] == "-")
            return i;
    }
    return -1;
}

} // namespace

QString DecodeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) && IsOctalDigit(field[i + 2]) &&
            IsOctalDigit(field[i + 3])) {
            out.append(
                char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(c);
        }
    }
    return DecodeFileName(out);
}

MountTable ParseMountInfo(const QByteArray& text) {
    MountTable table;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype sep = SeparatorIndex(fields);
        // id, parent, major:minor, root, mount point, options, [optional...], "-", type, source
        if (sep < 0 || sep + 2 >= fields.size() || fields[4].isEmpty())
            continue;
        MountEntry e;
        e.id = QString::fromLatin1(fields[0]);
        e.device = QString::fromLatin1(fields[2]);
        e.mountPoint = DecodeMountField(fields[4]);
        e.fsType = DecodeMountField(fields[sep + 1]);
        e.source = DecodeMountField(fields[sep + 2]);
        table.append(e);
    }
    return table;
}

MountTable ReadMountInfo(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A procfs file reports size 0, so it is read until the end rather than by its size.
    return ParseMountInfo(file.readAll());
}

QString DecodeUdevName(const QString& name) {
    QByteArray out;
    const QByteArray raw = EncodeFileName(name);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            const int hi = HexValue(QLatin1Char(raw[i + 2]));
            const int lo = HexValue(QLatin1Char(raw[i + 3]));
            if (hi >= 0 && lo >= 0) {
                out.append(char(hi * 16 + lo));
                i += 3;
                continue;
            }
        }
        out.append(raw[i]);
    }
    return DecodeFileName(out);
}

QHash<QString, QString> ReadVolumeLabels(const QString& byLabelDir) {
    QHash<QString, QString> labels;
    QDirIterator it(byLabelDir, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo link = it.fileInfo();
        const QString device = link.canonicalFilePath();
        if (device.isEmpty())
            continue; // a dangling link: the device is gone
        labels.insert(device, DecodeUdevName(link.fileName()));
    }
    return labels;
}

void ApplyVolumeLabels(MountTable& table, const QHash<QString, QString>& labels) {
    if (labels.isEmpty())
        return;
    for (MountEntry& e : table) {
        if (!e.source.startsWith(QLatin1Char('/')))
            continue; // network and virtual sources name no device node
        // Sources such as /dev/mapper/x or /dev/disk/by-uuid/... are links to the real node.
        const QString canonical = QFileInfo(e.source).canonicalFilePath();
        const QString key = canonical.isEmpty() ? e.source : canonical;
        const auto found = labels.constFind(key);
        if (found != labels.constEnd())
            e.label = found.value();
    }
}

} // namespace tobimaru
