#include "app/WindowRig.h"

#include "browse/TreeNodeRoles.h"
#include "settings/PrivateProfile.h"

#include <QApplication>
#include <QTreeWidget>

namespace tobimaru::test {

WindowRig::WindowRig(const QByteArray& ini) {
    if (!ini.isNull())
        dir.write("TobimaruMe.ini", ini);
    Form1Context ctx;
    ctx.prompts = &prompts;
    ctx.iniPath = iniPath();
    ctx.screenSaver = &saver;
    ctx.opener = &opener;
    ctx.audioOutput = "null";
    ctx.trash = &trash;
    ctx.fileManager = &fileManager;
    ctx.searchTool = &searchTool;
    form = std::make_unique<Form1>(ctx);
}

QString WindowRig::read(const char* section, const char* key) const {
    return ReadProfileString(iniPath(), section, key, QStringLiteral("<none>"));
}

void WindowRig::selectTreeNode(const QString& key) {
    auto* item = new QTreeWidgetItem(form->TreeView1(), {key});
    item->setData(0, NodeKeyRole, key);
    form->TreeView1()->setCurrentItem(item);
}

void WindowRig::start() {
    form->Load(nullptr);
    form->show();
    QApplication::setActiveWindow(form.get());
}

} // namespace tobimaru::test
