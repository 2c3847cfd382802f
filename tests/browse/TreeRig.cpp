#include "TreeRig.h"

#include "base/IconSet.h"
#include "ui/IconLibrary.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QVBoxLayout>
#include <stdexcept>
#include <sys/stat.h>

namespace tobimaru::test {

TreeRig::TreeRig() {
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

DriveModel TreeRig::drives() const {
    DriveEnvironment env;
    env.sysfsRoot = sysfs.path();
    env.probe = [ready = m_ready, dead = m_dead](const QString& mountPoint) {
        return ready->load() && mountPoint != dead;
    };
    return DriveModel(m_mounts, env);
}

QStringList TreeRig::captions(const QTreeWidgetItem* node) {
    QStringList out;
    for (int i = 0; node && i < node->childCount(); ++i)
        out.append(node->child(i)->text(0));
    return out;
}

} // namespace tobimaru::test
