#include "TreeRig.h"

#include "base/IconSet.h"
#include "ui/IconLibrary.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QVBoxLayout>
#include <mutex>
#include <stdexcept>
#include <sys/stat.h>

namespace tobimaru::test {

// Read by the probes on the prober's workers while the test changes it.
struct TreeRig::ProbeControl {
    std::mutex mutex;
    bool ready = true;
    QStringList dead;
};

// Written by the tree's workers, read by the test.
struct TreeRig::ReadLog {
    std::mutex mutex;
    QStringList folders;
    std::function<void()> before;
};

TreeRig::TreeRig()
    : m_control(std::make_shared<ProbeControl>())
    , m_reads(std::make_shared<ReadLog>()) {
    m_prober = std::make_shared<MountProber>([control = m_control](const QString& mountPoint) {
        {
            const std::lock_guard lock(control->mutex);
            if (!control->ready || control->dead.contains(mountPoint))
                return MountStatus{};
        }
        return ProbeMountLinux(mountPoint);
    });
    m_drive = dir.mkdir(QStringLiteral("drive"));
    m_home = dir.mkdir(QStringLiteral("home"));
    // Device numbers no sysfs of ours knows: the drives count as fixed disks.
    m_mounts = {
        MountEntry{QStringLiteral("/"),
                   QStringLiteral("ext4"),
                   QStringLiteral("/dev/fake0"),
                   QStringLiteral("250:0"),
                   {}},
        MountEntry{
            m_drive, QStringLiteral("ext4"), QStringLiteral("/dev/fake1"), QStringLiteral("250:1"), {}},
        MountEntry{m_home, QStringLiteral("ext4"), QStringLiteral("/dev/fake3"), QStringLiteral("250:3"), {}},
    };
    icons.setKeySource(&IconForKey);
    desktop = dir.mkdir(QStringLiteral("home/Desktop"));
    documents = dir.mkdir(QStringLiteral("home/Documents"));

    auto* layout = new QVBoxLayout(&window);
    box = new QComboBox(&window);
    box->setObjectName(QStringLiteral("ImageCombo1"));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    widget = new QTreeWidget(&window);
    widget->setObjectName(QStringLiteral("TreeView1"));
    layout->addWidget(box);
    layout->addWidget(widget);
    window.resize(400, 600);

    FolderTreeContext tc;
    tc.tree = widget;
    tc.address = box;
    tc.icons = &icons;
    tc.iconSet = ChooseIconSet(QStringLiteral("Linux"));
    tc.prompts = &prompts;
    tc.settings = &settings;
    tc.drives = [this] { return drives(); };
    tc.listFolder = [this](const QString& folder) { listed.append(folder); };
    tc.levelReader = [log = m_reads](const QString& folder, const ListOptions& admission,
                                     const DriveModel& drives) {
        std::function<void()> before;
        {
            const std::lock_guard lock(log->mutex);
            log->folders.append(folder);
            before = log->before;
        }
        if (before)
            before();
        return ReadTreeLevel(folder, admission, drives);
    };
    tree = std::make_unique<FolderTree>(tc);
    input = std::make_unique<FolderTreeInput>(*tree, prompts);

    NavigationContext nc;
    nc.tree = tree.get();
    nc.address = box;
    nc.prompts = &prompts;
    nc.settings = &settings;
    nc.drives = tc.drives;
    nc.listFolder = tc.listFolder;
    nc.stopPlayback = [this] { ++stops; };
    nc.rearmPlayback = [this] { ++rearms; };
    nc.desktopPath = [this] { return desktop; };
    nc.documentsPath = [this] { return documents; };
    nc.window = &window;
    nav = std::make_unique<Navigation>(nc);
}

TreeRig::~TreeRig() {
    // Read-only folders must be writable again for the temporary folder to go.
    QDirIterator it(dir.path(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        ::chmod(QFile::encodeName(it.next()).constData(), 0755);
}

void TreeRig::mkdirs(const QStringList& relatives) const {
    for (const QString& r : relatives)
        dir.mkdir(QStringLiteral("drive/") + r);
}

void TreeRig::mkReadOnly(const QString& relative) const {
    const QString full = dir.mkdir(QStringLiteral("drive/") + relative);
    if (::chmod(QFile::encodeName(full).constData(), 0555) != 0)
        throw std::runtime_error("cannot chmod");
}

void TreeRig::setReady(bool ready) {
    const std::lock_guard lock(m_control->mutex);
    m_control->ready = ready;
}

void TreeRig::setDead(const QString& mountPoint) {
    const std::lock_guard lock(m_control->mutex);
    m_control->dead.append(mountPoint);
}

QStringList TreeRig::levelReads() const {
    const std::lock_guard lock(m_reads->mutex);
    return m_reads->folders;
}

void TreeRig::setBeforeRead(std::function<void()> hook) {
    const std::lock_guard lock(m_reads->mutex);
    m_reads->before = std::move(hook);
}

DriveModel TreeRig::drives() const {
    DriveEnvironment env;
    env.sysfsRoot = sysfs.path();
    env.prober = m_prober;
    env.readyTimeout = m_readyTimeout;
    return DriveModel(m_mounts, env);
}

QStringList TreeRig::captions(const QTreeWidgetItem* node) {
    QStringList out;
    for (int i = 0; node && i < node->childCount(); ++i)
        out.append(node->child(i)->text(0));
    return out;
}

} // namespace tobimaru::test
