#include "archives/Archiver.h"

#include "archives/ArchiveReader.h"
#include "archives/ArchiverCommandLine.h"

#include <QRegularExpression>
#include <archive.h>
#include <archive_entry.h>

namespace tobimaru {

class UnZipArchive final {
public:
    explicit UnZipArchive(QString path)
        : m_path(std::move(path)) {}
    int findFirst(const QString& pattern);
    int attributes() const { return m_attributes; }

private:
    QString m_path;
    int m_attributes = -1;
};

namespace {

bool NameMatches(const QString& storedName, const QString& pattern) {
    if (pattern.isEmpty() || pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    QString name = storedName;
    while (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    name = name.section(QLatin1Char('/'), -1);
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    return re.match(name).hasMatch();
}

ArchiverCode Extract(ArchiveKind kind, const ArchiverCommand& command, const ExtractCallbacks& callbacks,
                     ExtractFailure* failure) {
    if (command.code != ArchiverCode::Ok) {
        if (failure)
            failure->log = QStringLiteral("command line not understood");
        return command.code;
    }
    return ExtractArchive({kind, command.archive, command.destination}, callbacks, failure);
}

} // namespace

int UnZipArchive::findFirst(const QString& pattern) {
    m_attributes = -1;
    const Utf8CtypeScope utf8;
    OpenedReader opened = OpenArchiveReader(ArchiveKind::Zip, m_path);
    if (opened.code != ArchiverCode::Ok)
        return -1;
    for (;;) {
        const HeaderStep step = NextHeader(opened.reader.get());
        if (step.state != HeaderStep::Entry)
            return -1;
        if (NameMatches(EntryName(step.entry), pattern)) {
            m_attributes = EntryAttributes(step.entry);
            return 0;
        }
    }
}

void UnZipArchiveClose::operator()(UnZipArchive* archive) const {
    delete archive;
}

ArchiverCode Unlha(const QString& commandLine, const ExtractCallbacks& callbacks, ExtractFailure* failure) {
    return Extract(ArchiveKind::Lzh, ParseLzhCommandLine(commandLine), callbacks, failure);
}

ArchiverCode UnZip(const QString& commandLine, const ExtractCallbacks& callbacks, ExtractFailure* failure) {
    return Extract(ArchiveKind::Zip, ParseZipCommandLine(commandLine), callbacks, failure);
}

bool UnlhaCheckArchive(const QString& archive, int mode) {
    return CheckArchive(ArchiveKind::Lzh, archive, mode);
}

bool UnZipCheckArchive(const QString& archive, int mode) {
    return CheckArchive(ArchiveKind::Zip, archive, mode);
}

UnZipHandle UnZipOpenArchive(const QString& archive, int /*mode*/) {
    const Utf8CtypeScope utf8;
    if (OpenArchiveReader(ArchiveKind::Zip, archive).code != ArchiverCode::Ok)
        return nullptr;
    return UnZipHandle(new UnZipArchive(archive));
}

int UnZipFindFirst(UnZipArchive* handle, const QString& pattern) {
    return handle ? handle->findFirst(pattern) : -1;
}

int UnZipGetAttribute(const UnZipArchive* handle) {
    return handle ? handle->attributes() : -1;
}

void UnZipCloseArchive(UnZipHandle handle) {
    handle.reset();
}

int ZipFirstEntryState(const QString& archive) {
    UnZipHandle handle = UnZipOpenArchive(archive, 0);
    if (!handle || UnZipFindFirst(handle.get(), QStringLiteral("*.*")) != 0)
        return -1;
    const int attributes = UnZipGetAttribute(handle.get());
    if (attributes == -1)
        return -1;
    return (attributes & 0x40) ? 1 : 0;
}

bool FindLibrary(const QString& fileName) {
    if (fileName.compare(QLatin1String("UnZip32.DLL"), Qt::CaseInsensitive) == 0)
        return FormatSupported(ArchiveKind::Zip);
    if (fileName.compare(QLatin1String("Unlha32.DLL"), Qt::CaseInsensitive) == 0)
        return FormatSupported(ArchiveKind::Lzh);
    return false;
}

} // namespace tobimaru
