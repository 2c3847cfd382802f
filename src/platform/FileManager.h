#pragma once

#include <QStringList>
#include <functional>
#include <memory>

class QObject;

namespace tobimaru {

/// The desktop's file manager: folders shown in its window, an item's property sheet.
class FileManager {
public:
    /// Called on the caller's thread once the file manager has answered: true when it showed
    /// what was asked.
    using Reply = std::function<void(bool shown)>;

    virtual ~FileManager() = default;
    /// Shows the folders (file: or trash: addresses). `reply` runs later from the event loop, and
    /// not at all once `context` is gone. Never waits for the file manager.
    virtual void showFolders(const QStringList& uris, QObject* context, Reply reply) = 0;
    /// Shows the property sheet of each item, the same way.
    virtual void showItemProperties(const QStringList& uris, QObject* context, Reply reply) = 0;
};

/// org.freedesktop.FileManager1 on the session bus, asynchronously: a file manager that does
/// not answer within the time limit counts as one that refused.
class DBusFileManager final : public FileManager {
public:
    explicit DBusFileManager(int timeoutMs = 5000)
        : m_timeoutMs(timeoutMs) {}
    void showFolders(const QStringList& uris, QObject* context, Reply reply) override;
    void showItemProperties(const QStringList& uris, QObject* context, Reply reply) override;

private:
    void call(const QString& method, const QStringList& uris, QObject* context, Reply reply) const;

    int m_timeoutMs = 5000;
};

/// Without a file manager service: folders go to the desktop's default application for them;
/// a property sheet cannot be had.
class PlainFileManager final : public FileManager {
public:
    void showFolders(const QStringList& uris, QObject* context, Reply reply) override;
    void showItemProperties(const QStringList& uris, QObject* context, Reply reply) override;
};

/// The file manager the session offers: the D-Bus one when there is a session bus, else the
/// plain one.
std::unique_ptr<FileManager> MakeSessionFileManager();

} // namespace tobimaru
