#include "app/Form1Settings.h"

#include "app/Form1.h"
#include "base/ErrorTable.h"
#include "base/Prompts.h"
#include "browse/Drives.h"
#include "browse/FolderTree.h"
#include "browse/QuickPaths.h"
#include "platform/ScreenSaver.h"
#include "platform/WindowSystem.h"
#include "playback/PlaybackSubsystem.h"
#include "ui/Menus.h"
#include "ui/PaneLayout.h"
#include "ui/Twips.h"
#include "ui/ViewBindings.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTreeWidget>
#include <cmath>

namespace tobimaru {

Form1Settings::Form1Settings(Form1& form)
    : m_form(form) {}

void Form1Settings::setChecked(const QString& item, bool on) {
    if (!SetModelCheck(m_form.playback().state(), m_form.quickPaths(), item, on))
        m_form.menus().setChecked(item, on);
}

bool Form1Settings::isChecked(const QString& item) const {
    if (const auto on = ModelCheck(m_form.playback().state(), m_form.quickPaths(), item))
        return *on;
    return m_form.menus().isChecked(item);
}

void Form1Settings::setQuickPathItem(int index, const QString& caption, bool visible) {
    m_form.quickPaths().setSlot(index, caption, visible);
}

QString Form1Settings::quickPathCaption(int index) const {
    if (index < 0 || index >= QuickPaths::kSlots)
        throw Failure(ErrorCode::SubscriptOutOfRange, "pass");
    return m_form.quickPaths().caption(index);
}

void Form1Settings::setWindowSize(int widthTwips, int heightTwips) {
    m_form.m_storedTwips.width = widthTwips;
    m_form.m_storedTwips.height = heightTwips;
    m_form.setOuterSize(QSize(TwipsToPixels(widthTwips), TwipsToPixels(heightTwips)));
}

void Form1Settings::setWindowPosition(int leftTwips, int topTwips) {
    m_form.m_storedTwips.left = leftTwips;
    m_form.m_storedTwips.top = topTwips;
    m_form.setOuterPosition(QPoint(TwipsToPixels(leftTwips), TwipsToPixels(topTwips)));
}

QSize Form1Settings::windowSizeTwips() const {
    const QSize s = m_form.frameGeometry().size();
    return {int(std::lround(PixelsToTwips(s.width()))), int(std::lround(PixelsToTwips(s.height())))};
}

QSize Form1Settings::screenSizeTwips() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize s = screen ? screen->geometry().size() : QSize(1024, 768);
    return {int(std::lround(PixelsToTwips(s.width()))), int(std::lround(PixelsToTwips(s.height())))};
}

void Form1Settings::setWindowState(int state) {
    if (state == 2)
        m_form.setWindowState(m_form.windowState() | Qt::WindowMaximized);
    else if (state == 0)
        m_form.setWindowState(m_form.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
}

int Form1Settings::windowState() const {
    return m_form.storedWindowState();
}

double Form1Settings::windowLeftTwips() const {
    return TwipsToStore(m_form.storedPosition().x(), m_form.m_storedTwips.left);
}

double Form1Settings::windowTopTwips() const {
    return TwipsToStore(m_form.storedPosition().y(), m_form.m_storedTwips.top);
}

bool Form1Settings::windowPositionKnown() const {
    return PlatformPlacesWindows(QGuiApplication::platformName());
}

int Form1Settings::normalWidthTwips() const {
    return int(std::lround(TwipsToStore(m_form.normalSize().width(), m_form.m_storedTwips.width)));
}

int Form1Settings::normalHeightTwips() const {
    return int(std::lround(TwipsToStore(m_form.normalSize().height(), m_form.m_storedTwips.height)));
}

void Form1Settings::setPlayerSize(double heightTwips, double widthTwips) {
    m_form.layoutPanes().setPlayerSize(heightTwips, widthTwips);
}

double Form1Settings::playerHeightTwips() const {
    return m_form.layoutPanes().playerHeight();
}

double Form1Settings::playerWidthTwips() const {
    return m_form.layoutPanes().playerWidth();
}

void Form1Settings::setShadowLeft(double twips) {
    m_form.layoutPanes().setShadowLeft(twips);
}

void Form1Settings::setShadowTop(double twips) {
    m_form.layoutPanes().setShadowTop(twips);
}

double Form1Settings::shadowLeft() const {
    return m_form.layoutPanes().shadowLeft();
}

double Form1Settings::shadowTop() const {
    return m_form.layoutPanes().shadowTop();
}

std::optional<QString> Form1Settings::selectedTreeKey() const {
    const QString key = m_form.m_folderTree->GetTreeViewKey();
    if (key.isEmpty())
        return std::nullopt;
    return key;
}

QString Form1Settings::currentDirectory() const {
    return QDir::currentPath();
}

QString Form1Settings::driveName(const QString& path) const {
    return DriveModel::FromSystem().GetDriveName(path);
}

bool Form1Settings::checkDriveReady(const QString& path) {
    return CheckDriveReady(path, DriveModel::FromSystem(), *m_form.m_ctx.prompts);
}

void Form1Settings::setScreenSaverActive(bool active) {
    Prompts* prompts = m_form.m_ctx.prompts;
    const auto report = [prompts](bool done) {
        if (!done)
            prompts->message(QStringLiteral("スクリーンセーバーON/OFF設定でエラー"), AppTitle(),
                             PromptIcon::None, PromptButtons::Ok);
    };
    // The service answers later: the window goes on meanwhile, and the box comes with the answer
    // (none once the window is gone, at exit).
    if (ScreenSaver* saver = m_form.m_ctx.screenSaver)
        saver->setActive(active, &m_form, report);
    else
        report(false);
}

} // namespace tobimaru
