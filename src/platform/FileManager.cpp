#include "platform/FileManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace tobimaru {

namespace {

// Answers from the event loop, as a D-Bus reply would, so callers see one order of events.
void ReplyLater(QObject* context, FileManager::Reply reply, bool shown) {
    if (!reply)
        return;
    QTimer::singleShot(0, context, [reply = std::move(reply), shown] { reply(shown); });
}

} // namespace

void DBusFileManager::call(const QString& method, const QStringList& uris, QObject* context,
                           Reply reply) const {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        ReplyLater(context, std::move(reply), false);
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), method);
    // No start-up notification token: the file manager then takes the focus its own way.
    message << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, m_timeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [reply = std::move(reply)](QDBusPendingCallWatcher* w) {
                         const bool shown = !w->isError();
                         w->deleteLater();
                         if (reply)
                             reply(shown);
                     });
}

void DBusFileManager::showFolders(const QStringList& uris, QObject* context, Reply reply) {
    call(QStringLiteral("ShowFolders"), uris, context, std::move(reply));
}

void DBusFileManager::showItemProperties(const QStringList& uris, QObject* context, Reply reply) {
    call(QStringLiteral("ShowItemProperties"), uris, context, std::move(reply));
}

void PlainFileManager::showFolders(const QStringList& uris, QObject* context, Reply reply) {
    bool shown = !uris.isEmpty();
    for (const QString& uri : uris)
        shown = QDesktopServices::openUrl(QUrl(uri)) && shown;
    ReplyLater(context, std::move(reply), shown);
}

void PlainFileManager::showItemProperties(const QStringList&, QObject* context, Reply reply) {
    ReplyLater(context, std::move(reply), false);
}

std::unique_ptr<FileManager> MakeSessionFileManager() {
    if (QDBusConnection::sessionBus().isConnected())
        return std::make_unique<DBusFileManager>();
    return std::make_unique<PlainFileManager>();
}

} // namespace tobimaru
