#include "platform/OsVersion.h"

#include <QFile>
#include <QSysInfo>
#include <dlfcn.h>
#include <memory>

namespace tobimaru {

namespace {

struct LibraryCloser {
    void operator()(void* handle) const { ::dlclose(handle); }
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

constexpr uint32_t kPersonalSuite = 0x200;

QString BeforeNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QString NineXName(const OsVersionRecord& r, const QString& sp) {
    if (r.major == 4 && r.minor == 0)
        return QStringLiteral("Windows 95") + sp;
    if (r.major == 4 && r.minor == 10)
        return QStringLiteral("Windows 98");
    if (r.major == 4 && r.minor == 90)
        return QStringLiteral("Windows Me");
    return QStringLiteral("Windows Me later");
}

QString NtName(const OsVersionRecord& r) {
    // The edition fields mean something only when the extended record came back.
    const int product = r.hasExtended ? r.productType : 0;
    const uint32_t suite = r.hasExtended ? r.suiteMask : 0;
    if (r.major > 5)
        return QStringLiteral("Windows Whistlar later");
    if (r.major == 5 && r.minor == 0) {
        QString name = QStringLiteral("Windows 2000");
        if (product == 1)
            name += QStringLiteral(" Professional");
        else if (product == 3)
            name += QStringLiteral(" Server");
        return name;
    }
    if (r.major == 5 && r.minor == 1) {
        if (suite & kPersonalSuite)
            return QStringLiteral("Windows XP Home Edition");
        if (product == 1)
            return QStringLiteral("Windows XP Professional");
        if (product == 3)
            return QStringLiteral("Windows 2002 .NET Server");
        return QStringLiteral("Windows XP");
    }
    if (r.major == 5)
        return QStringLiteral("Windows Whistlar later");
    // The minor number as two digits: a leading zero added, the last two digits kept.
    const QString minor = (QStringLiteral("0") + QString::number(r.minor)).right(2);
    QString name =
        QStringLiteral("Windows NT Version ") + QString::number(r.major) + QLatin1Char('.') + minor;
    if (product == 1)
        name += QStringLiteral(" Workstation");
    else if (product == 3)
        name += QStringLiteral(" Server");
    return name;
}

} // namespace

int16_t SignedLowWord(int32_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
}

QString GetOsVersionString(const OsVersionRecord& record) {
    const QString sp = BeforeNul(record.servicePack);
    if (record.platformId == 1) {
        // The 95 family puts its version in the high word of the build number.
        return NineXName(record, sp) + QStringLiteral(" Build: ") +
               QString::number(SignedLowWord(static_cast<int32_t>(record.build)));
    }
    if (record.platformId == 2) {
        QString text = NtName(record);
        if (!sp.isEmpty())
            text += QStringLiteral(" (") + sp + QLatin1Char(')');
        return text + QStringLiteral(" Build: ") + QString::number(record.build);
    }
    return {};
}

QString LinuxOsVersionString() {
    QString name = QSysInfo::prettyProductName();
    if (name.isEmpty())
        name = QSysInfo::kernelType();
    QString text = name + QStringLiteral(" Kernel: ") + QSysInfo::kernelVersion();
    // The XP test of start-up picks a whole icon set; no Linux name may trigger it.
    text.replace(QStringLiteral("Windows XP"), QStringLiteral("Windows-XP"));
    return text;
}

QString GetOsVersionString() {
    return LinuxOsVersionString();
}

QString GetShellVersion() {
    return QStringLiteral("不明");
}

bool HasExport(const QString& library, const QString& function) {
    if (library.isEmpty() || function.isEmpty())
        return false;
    const LibraryHandle handle(::dlopen(QFile::encodeName(library).constData(), RTLD_LAZY | RTLD_LOCAL));
    if (!handle)
        return false;
    return ::dlsym(handle.get(), function.toUtf8().constData()) != nullptr;
}

} // namespace tobimaru
