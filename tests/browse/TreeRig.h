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
#include <chrono>
#include <functional>
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
    /// Whether the probe of a mount point answers "ready" (else every probe says "not ready").
    void setReady(bool ready);
    /// A mount point whose probe says "not ready" at once while others answer.
    void setDead(const QString& mountPoint);
    /// How long one command waits for a probe (the program's two seconds by default).
    void setReadyTimeout(std::chrono::milliseconds limit) { m_readyTimeout = limit; }

    /// A snapshot of the rig's table. Its probes run on the rig's own prober, which every
    /// snapshot shares (as the program's share the process's): the real probe of each mount
    /// point, unless setReady or setDead says otherwise.
    DriveModel drives() const;
    MountProber& prober() const { return *m_prober; }
    QTreeWidgetItem* node(const QString& key) const { return tree->FindNode(key); }
    /// The captions of a node's children, in tree order.
    static QStringList captions(const QTreeWidgetItem* node);
    /// The folders whose children the tree has read so far, in order.
    QStringList levelReads() const;
    /// Runs on the tree's worker before each read of a level (a test's way to make it slow).
    void setBeforeRead(std::function<void()> hook);

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
    struct ProbeControl;
    struct ReadLog;

    QString m_drive;
    QString m_home;
    MountTable m_mounts;
    std::chrono::milliseconds m_readyTimeout{DriveEnvironment().readyTimeout};
    std::shared_ptr<ProbeControl> m_control;
    std::shared_ptr<ReadLog> m_reads;
    std::shared_ptr<MountProber> m_prober;
};

} // namespace tobimaru::test
