#include "app/WindowRig.h"

#include "browse/TreeNodeRoles.h"
#include "settings/PrivateProfile.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTreeWidget>

namespace tobimaru::test {

WindowRig::WindowRig(const QByteArray& ini, bool mediaControls)
    : previousCurrent(QDir::currentPath()) {
    QDir::setCurrent(dir.mkdir("current"));
    if (!ini.isNull())
        dir.write("TobimaruMe.ini", ini);
    Form1Context ctx;
    ctx.prompts = &prompts;
    ctx.iniPath = iniPath();
    ctx.screenSaver = &saver;
    ctx.shell = &shell;
    ctx.audioOutput = "null";
    ctx.trash = &trash;
    ctx.fileManager = &fileManager;
    ctx.searchTool = &searchTool;
    ctx.mediaControls = mediaControls;
    form = std::make_unique<Form1>(ctx);
}

WindowRig::~WindowRig() {
    form.reset();
    QDir::setCurrent(previousCurrent);
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

PopupCloser::PopupCloser(std::function<void()> whileOpen)
    : m_whileOpen(std::move(whileOpen)) {
    // Polled from the event loop the menu runs itself.
    m_poll.setInterval(0);
    QObject::connect(&m_poll, &QTimer::timeout, [this] {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        closed << popup->objectName();
        if (m_whileOpen)
            m_whileOpen();
        popup->close();
    });
    m_poll.start();
}

ModalAnswerer::ModalAnswerer(std::function<void(QWidget*)> answer)
    : m_answer(std::move(answer)) {
    m_poll.setInterval(0);
    QObject::connect(&m_poll, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        answered << modal->objectName();
        m_answer(modal);
        if (modal->isVisible())
            modal->close();
    });
    m_poll.start();
}

} // namespace tobimaru::test
