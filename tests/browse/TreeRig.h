#pragma once

#include "base/RuntimeSettings.h"
#include "browse/Drives.h"
#include "browse/FileIcons.h"
#include "browse/FolderTree.h"
#include "browse/FolderTreeInput.h"
#include "browse/Navigation.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>
#include <atomic>
#include <memory>

namespace tobimaru::test {

/// A window with `TreeView1` and `ImageCombo1` over a made-up mount table: "/", a drive mounted
/// on a temporary folder and a home drive beside it holding the desktop and the documents, plus
/// whatever mounts a test adds. Every listing, stop and
/// re-arm is recorded.
class TreeRig {
public:
    TreeRig();
    ~TreeRig();

    /// The temporary drive's mount point.
    QString drive() const { return m_drive; }
    /// A path on the drive.
    QString at(const QString& relative) const { return m_drive + QLatin1Char('/') + relative; }
    /// The home drive's mount point.
    QString home() const { return m_home; }
    /// Makes folders on the drive (parents included).
    void mkdirs(const QStringList& relatives) const;
    /// Makes an empty folder without write permission for anyone.
    void mkReadOnly(const QString& relative) const;

    /// Adds a mount (after the drive) to the table the next snapshot sees.
    void addMount(const MountEntry& entry) { m_mounts.append(entry); }
    /// Whether the probe of a mount point answers "ready".
    void setReady(bool ready) { m_ready->store(ready); }
    /// Mount points whose probe says "not ready" while others answer.
    void setDead(const QString& mountPoint) { m_dead = mountPoint; }

    DriveModel drives() const;
    QTreeWidgetItem* node(const QString& key) const { return tree->FindNode(key); }
    /// The captions of a node's children, in tree order.
    static QStringList captions(const QTreeWidgetItem* node);

    TempDir dir;
    TempDir sysfs;
    FakePrompts prompts;
    FileIcons icons;
    RuntimeSettings settings;
    QWidget window;
    QTreeWidget* widget = nullptr;
    QComboBox* box = nullptr;
    std::unique_ptr<FolderTree> tree;
    std::unique_ptr<FolderTreeInput> input;
    std::unique_ptr<Navigation> nav;
    QStringList listed;
    int stops = 0;
    int rearms = 0;
    QString desktop;
    QString documents;

private:
    QString m_drive;
    QString m_home;
    MountTable m_mounts;
    std::shared_ptr<std::atomic<bool>> m_ready = std::make_shared<std::atomic<bool>>(true);
    QString m_dead;
};

} // namespace tobimaru::test
