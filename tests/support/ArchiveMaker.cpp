#include "support/ArchiveMaker.h"

#include "base/DirStream.h"
#include "base/FileNames.h"
#include "base/UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tobimaru::test {

namespace {

// Reads the entries as JSON on stdin; names and data in base64, so any bytes pass.
constexpr const char* kZipScript = R"PY(
import base64, json, stat, struct, sys, zipfile, zlib
job = json.load(sys.stdin)
class RawInfo(zipfile.ZipInfo):
    raw = b''
    utf8 = False
    # zipfile clears flag_bits when it starts an entry, so the flag is added here.
    def _encodeFilenameFlags(self):
        return self.raw, self.flag_bits | (0x800 if self.utf8 else 0)
with zipfile.ZipFile(job['path'], 'w') as z:
    for e in job['entries']:
        raw = base64.b64decode(e['name'])
        zi = RawInfo(raw.decode('latin-1'))
        zi.raw = raw
        zi.utf8 = e['utf8']
        zi.compress_type = zipfile.ZIP_STORED if e['stored'] else zipfile.ZIP_DEFLATED
        kind = e['kind']
        if e['windows']:
            zi.create_system = 0
            zi.external_attr = 0x10 if kind == 'folder' else 0x20
        else:
            zi.create_system = 3
            mode = {'folder': stat.S_IFDIR | 0o755, 'link': stat.S_IFLNK | 0o777}.get(kind, stat.S_IFREG | 0o644)
            zi.external_attr = (mode << 16) | (0x10 if kind == 'folder' else 0)
        if e['unicode']:
            uni = base64.b64decode(e['unicode'])
            crc = zlib.crc32(raw) ^ (0xFFFF if e['crcWrong'] else 0)
            body = b'\x01' + struct.pack('<I', crc) + uni
            zi.extra = struct.pack('<HH', 0x7075, len(body)) + body
        z.writestr(zi, base64.b64decode(e['data']))
)PY";

void Run(const QString& program, const QStringList& args, const QString& workDir = {},
         const QByteArray& input = {},
         const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        throw std::runtime_error("cannot start " + program.toStdString());
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(program.toStdString() +
                                 " failed: " + p.readAllStandardError().toStdString() +
                                 p.readAllStandardOutput().toStdString());
}

bool Runs(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

/// Writes the files below `root`, for the command-line archivers to pack.
void WriteTree(const QString& root, const QMap<QString, QByteArray>& files) {
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QString full = root + QLatin1Char('/') + it.key();
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile f(full);
        if (!f.open(QIODevice::WriteOnly) || f.write(it.value()) != it.value().size())
            throw std::runtime_error("cannot write " + full.toStdString());
    }
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

ZipEntry ZipFile(const QByteArray& name, const QByteArray& data) {
    return {name, data};
}

ZipEntry WindowsZipFile(const QByteArray& name, const QByteArray& data) {
    ZipEntry e{name, data};
    e.windows = true;
    return e;
}

ZipEntry Utf8ZipFile(const QString& name, const QByteArray& data) {
    ZipEntry e{name.toUtf8(), data};
    e.utf8Flag = true;
    return e;
}

ZipEntry ZipFolder(const QByteArray& name) {
    return {name, {}, ZipEntry::Folder};
}

ZipEntry ZipLink(const QByteArray& name, const QByteArray& target) {
    return {name, target, ZipEntry::Link};
}

QString ArchiveMaker::zip(const QString& path, const std::vector<ZipEntry>& entries) {
    static constexpr const char* kKinds[] = {"file", "folder", "link"};
    QJsonArray list;
    for (const ZipEntry& e : entries) {
        list.append(QJsonObject{{"name", QString::fromLatin1(e.name.toBase64())},
                                {"data", QString::fromLatin1(e.data.toBase64())},
                                {"kind", QString::fromLatin1(kKinds[e.kind])},
                                {"utf8", e.utf8Flag},
                                {"windows", e.windows},
                                {"stored", e.stored},
                                {"unicode", QString::fromLatin1(e.unicodePath.toBase64())},
                                {"crcWrong", e.unicodeCrcWrong}});
    }
    const QJsonObject job{{"path", QFileInfo(path).absoluteFilePath()}, {"entries", list}};
    Run(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(kZipScript)}, {},
        QJsonDocument(job).toJson(QJsonDocument::Compact));
    return path;
}

QString ArchiveMaker::encryptedZip(const QString& path, const QString& password,
                                   const QMap<QString, QByteArray>& files) {
    QTemporaryDir tree;
    WriteTree(tree.path(), files);
    QStringList args{QStringLiteral("-q"), QStringLiteral("-P"), password,
                     QFileInfo(path).absoluteFilePath()};
    args << files.keys();
    Run(QStringLiteral("zip"), args, tree.path());
    return path;
}

QString ArchiveMaker::infoZip(const QString& path, const QMap<QString, QByteArray>& files,
                              const QString& password) {
    QTemporaryDir tree;
    WriteTree(tree.path(), files);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    QStringList args{QStringLiteral("-q"), QStringLiteral("-r")};
    if (!password.isEmpty())
        args << QStringLiteral("-P") << password;
    args << QFileInfo(path).absoluteFilePath();
    QStringList tops;
    for (const QString& file : files.keys()) {
        const QString top = file.section(QLatin1Char('/'), 0, 0);
        if (!tops.contains(top))
            tops << top;
    }
    Run(QStringLiteral("zip"), args + tops, tree.path(), {}, env);
    return path;
}

QString ArchiveMaker::lzh(const QString& path, const QMap<QString, QByteArray>& files) {
    QTemporaryDir tree;
    WriteTree(tree.path(), files);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ja_JP.UTF-8"));
    QStringList args{QStringLiteral("-ao5"), QFileInfo(path).absoluteFilePath()};
    args << files.keys();
    Run(QStringLiteral("jlha"), args, tree.path(), {}, env);
    return path;
}

bool ArchiveMaker::pythonAvailable() {
    return Runs(QStringLiteral("python3"), {QStringLiteral("--version")});
}

bool ArchiveMaker::zipAvailable() {
    return Runs(QStringLiteral("zip"), {QStringLiteral("-v")});
}

bool ArchiveMaker::lzhAvailable() {
    QProcess locales;
    locales.start(QStringLiteral("locale"), {QStringLiteral("-a")});
    locales.waitForFinished(10000);
    const QString list = QString::fromLocal8Bit(locales.readAllStandardOutput()).toLower();
    if (!list.contains(QLatin1String("ja_jp.utf8")) && !list.contains(QLatin1String("ja_jp.utf-8")))
        return false;
    // jlha prints its usage and exits 0 when started without arguments; a missing Java fails.
    return Runs(QStringLiteral("jlha"), {});
}

void ArchiveMaker::truncate(const QString& path, qint64 size) {
    if (!QFile::resize(path, size))
        throw std::runtime_error("cannot truncate " + path.toStdString());
}

void ArchiveMaker::corrupt(const QString& path, qint64 offset, qint64 count) {
    QByteArray bytes = ReadAll(path);
    if (offset + count > bytes.size())
        throw std::runtime_error("corrupt past the end of " + path.toStdString());
    for (qint64 i = offset; i < offset + count; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    WriteAll(path, bytes);
}

void ArchiveMaker::understateFirstZipSize(const QString& path, quint32 size) {
    QByteArray bytes = ReadAll(path);
    const auto put = [&](qsizetype at) {
        if (at < 0 || at + 4 > bytes.size())
            throw std::runtime_error("no ZIP header in " + path.toStdString());
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    };
    put(bytes.indexOf("PK\x03\x04") + 22);
    put(bytes.indexOf("PK\x01\x02") + 24);
    WriteAll(path, bytes);
}

QByteArray ArchiveMaker::cp932(const QString& text) {
    QStringEncoder encoder("CP932");
    if (!encoder.isValid())
        throw std::runtime_error("no CP932 encoder");
    return encoder.encode(text);
}

QByteArray ArchiveMaker::read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString ArchiveMaker::copy(const QString& path, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(path, to))
        throw std::runtime_error("cannot copy " + path.toStdString());
    return to;
}

ExtractionSandbox::ExtractionSandbox()
    : dest(tmp.mkdir("work/out")) {
    tmp.write("work/out/keep.txt", "mine");
    tmp.mkdir("in");
    before = world();
}

QString ExtractionSandbox::zip(const std::vector<ZipEntry>& entries, const QString& name) {
    return ArchiveMaker::zip(tmp.file("in/" + name), entries);
}

ArchiverCode ExtractionSandbox::extract(ArchiveKind kind, const QString& archive,
                                        const ExtractCallbacks& callbacks) {
    return ExtractArchive({kind, archive, dest}, callbacks, &message);
}

QMap<QString, QByteArray> ExtractionSandbox::world() const {
    QMap<QString, QByteArray> all = FolderSnapshot(tmp.path());
    all.removeIf([](const auto& it) { return it.key() == "in" || it.key().startsWith("in/"); });
    return all;
}

QMap<QString, QByteArray> ExtractionSandbox::with(const QMap<QString, QByteArray>& added) const {
    QMap<QString, QByteArray> all = before;
    for (auto it = added.begin(); it != added.end(); ++it)
        all.insert("work/out/" + it.key(), it.value());
    return all;
}

namespace {

// Walks by the bytes of the names, so that a name that is not UTF-8 is found, read and shown
// under the program's own path text for it.
void SnapshotInto(const QByteArray& folder, const QString& relative, QMap<QString, QByteArray>& out) {
    const DirStream dir = OpenDirStream(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir.get())) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        const QByteArray path = folder + '/' + e->d_name;
        const QString key = (relative.isEmpty() ? QString() : relative + '/') + DecodeFileName(e->d_name);
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            char target[4096] = {};
            const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
            out.insert(key, "-> " + QByteArray(target, n > 0 ? n : 0));
        } else if (S_ISDIR(st.st_mode)) {
            out.insert(key, "<dir>");
            SnapshotInto(path, key, out);
        } else {
            QByteArray bytes;
            const UniqueFd fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
            char buffer[65536];
            for (ssize_t n = 0; fd.valid() && (n = ::read(fd.get(), buffer, sizeof buffer)) > 0;)
                bytes.append(buffer, n);
            out.insert(key, bytes);
        }
    }
}

} // namespace

QMap<QString, QByteArray> FolderSnapshot(const QString& folder) {
    QMap<QString, QByteArray> out;
    SnapshotInto(EncodeFileName(folder), QString(), out);
    return out;
}

SmallDisk::SmallDisk(qint64 bytes) {
    const QString base = QDir::tempPath() + QStringLiteral("/tobimaru-disk-XXXXXX");
    QByteArray name = QFile::encodeName(base);
    if (!::mkdtemp(name.data())) {
        m_error = QStringLiteral("mkdtemp: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    m_path = QFile::decodeName(name);
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (::mount("tmpfs", name.constData(), "tmpfs", 0, options.constData()) != 0) {
        m_error = QStringLiteral("mount tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
        QDir().rmdir(m_path);
        return;
    }
    m_mounted = true;
}

qint64 SmallDisk::freeBytes() const {
    struct statvfs vfs {};
    if (::statvfs(QFile::encodeName(m_path).constData(), &vfs) != 0)
        return -1;
    return static_cast<qint64>(vfs.f_bavail) * static_cast<qint64>(vfs.f_frsize);
}

SmallDisk::~SmallDisk() {
    if (!m_mounted)
        return;
    ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    QDir().rmdir(m_path);
}

} // namespace tobimaru::test
