#include "app/Form1.h"

#include "archives/LhaZip.h"
#include "base/CommandTable.h"
#include "base/WindowCaption.h"
#include "browse/FileIcons.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/FolderTreeInput.h"
#include "browse/ListGrid.h"
#include "browse/Navigation.h"
#include "browse/QuickPaths.h"
#include "fileops/FileOpsSubsystem.h"
#include "input/KeyPreview.h"
#include "input/MouseGestures.h"
#include "mpris/MprisService.h"
#include "playback/ContinuousPlay.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/SlideShow.h"
#include "settings/SettingsSchema.h"
#include "ui/FirstFrame.h"
#include "ui/IconLibrary.h"
#include "ui/Menus.h"
#include "ui/PaneLayout.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>

namespace tobimaru {

namespace {

// A window never exposed (started minimised) still gets its player this long after the show.
constexpr int kLatestPlayerStartMs = 1500;

QFrame* MakeBar(QWidget* parent, const char* name, bool shadow) {
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    if (shadow) {
        // A drag shadow crosses the player's picture, which is a native window of its own and
        // would hide a plain widget: the shadow gets a native window too, raised when shown.
        f->setAttribute(Qt::WA_DontCreateNativeAncestors);
        f->setAttribute(Qt::WA_NativeWindow);
        f->setAutoFillBackground(true);
        QPalette pal = f->palette();
        pal.setColor(QPalette::Window, QColor(96, 96, 96));
        f->setPalette(pal);
        f->hide();
    }
    return f;
}

} // namespace

Form1::Form1(const Form1Context& context, QWidget* parent)
    : QMainWindow(parent)
    , m_ctx(context)
    , m_caption(std::make_unique<WindowCaption>())
    , m_commands(std::make_unique<CommandTable>(*context.prompts))
    , m_icons(std::make_unique<FileIcons>()) {
    setObjectName(QStringLiteral("Form1"));
    connect(m_caption.get(), &WindowCaption::changed, this, &QWidget::setWindowTitle);
    buildControls();
    connectCommands();
}

Form1::~Form1() {
    QObject::disconnect(m_focusWatch);
}

QString Form1::BaseCaption() const {
    return m_caption->base();
}

QWidget* Form1::MediaPlayer1() const {
    return m_player;
}

void Form1::buildControls() {
    m_menus = new Menus(menuBar(), this);
    auto* bar = new QToolBar(this);
    addToolBar(Qt::TopToolBarArea, bar);
    m_toolbar = new Toolbar(bar);
    m_status = new StatusPanels(statusBar());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);

    m_address = new QComboBox(client);
    m_address->setObjectName(QStringLiteral("ImageCombo1"));
    m_address->setAccessibleName(QStringLiteral("アドレス"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);

    m_tree = new QTreeWidget(client);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setAccessibleName(QStringLiteral("フォルダツリー"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);

    m_list = new QTreeView(client);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setAccessibleName(QStringLiteral("ファイルリスト"));
    m_fileList = std::make_unique<FileListView>(m_list, *m_icons, *m_ctx.prompts);
    m_list->setItemDelegate(new ListGridDelegate(m_list));

    PlayerOptions options;
    options.audioOutput = m_ctx.audioOutput;
    // libmpv and its GL output take longer to set up than the rest of the window: the window
    // is shown first (showEvent), and whatever the load tells the player waits for the core.
    options.deferCore = true;
    m_player = new MediaPlayer(client, options);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));

    m_picSlider = MakeBar(client, "picSlider", false);
    m_picSlider2 = MakeBar(client, "picSlider2", false);
    m_picShadow = MakeBar(client, "picShadow", true);
    m_picShadow2 = MakeBar(client, "picShadow2", true);

    m_progress = new QProgressBar(statusBar());
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    statusBar()->addWidget(m_progress, 1);
    m_progress->hide();

    Panes panes;
    panes.window = this;
    panes.menuBar = menuBar();
    panes.toolBar = bar;
    panes.statusBar = statusBar();
    panes.client = client;
    panes.address = m_address;
    panes.tree = m_tree;
    panes.list = m_list;
    panes.player = m_player;
    panes.slider = m_picSlider;
    panes.slider2 = m_picSlider2;
    panes.shadow = m_picShadow;
    panes.shadow2 = m_picShadow2;
    m_layout = std::make_unique<PaneLayout>(panes);
    m_keys = std::make_unique<KeyPreview>(this, m_list, m_tree);
    QuickPaths::Hooks quickHooks;
    quickHooks.goToPath = [this](const QString& folder) { goToPath(folder); };
    quickHooks.currentFolder = [this] { return currentFolder(); };
    quickHooks.stopSlideTimer = [this] { m_playback->slideShow().Disable(); };
    m_quick = std::make_unique<QuickPaths>(*m_ctx.prompts, quickHooks);
    m_icons->setKeySource(&IconForKey);
    buildBrowsing();
    buildPlayback();
    buildFileOps();
    buildArchives();

    setOuterSize(QSize(TwipsToPixels(kFirstStartWidthTwips), TwipsToPixels(kFirstStartHeightTwips)));
}

int Form1::storedWindowState() const {
    if (isMinimized())
        return 1;
    if (isMaximized())
        return 2;
    return 0;
}

void Form1::setOuterSize(const QSize& size) {
    m_wantedOuterSize = size;
    // A window that starts maximised still has a normal size to save.
    if (!isMaximized() && !isMinimized() && !isFullScreen())
        m_normalSize = size;
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(size - frame);
}

QPoint Form1::storedPosition() const {
    return m_playerFullScreen ? m_positionBeforeFullScreen : frameGeometry().topLeft();
}

void Form1::setOuterPosition(const QPoint& topLeft) {
    m_wantedPosition = topLeft;
    move(topLeft);
}

void Form1::setPlayerFullScreen(bool on) {
    if (on == m_playerFullScreen)
        return;
    m_playerFullScreen = on;
    menuBar()->setVisible(!on);
    m_toolbar->bar()->setVisible(!on);
    statusBar()->setVisible(!on);
    m_layout->setPlayerAlone(on);
    if (on) {
        m_wasMaximized = isMaximized();
        m_positionBeforeFullScreen = frameGeometry().topLeft();
        showFullScreen();
        m_player->setFocus();
    } else if (m_wasMaximized) {
        showMaximized();
    } else {
        showNormal();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    Unload();
    event->accept();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const ResizeOutcome out = m_layout->WindowResized();
    if (out.snapHeight) {
        const int frame = frameGeometry().height() - height();
        resize(width(), TwipsToPixels(*out.snapHeight) - frame);
        return;
    }
    if (out.recordNormalSize)
        m_normalSize = frameGeometry().size();
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The frame exists only now: take it off the stored outer size once, and put the frame's
    // corner where it was asked for.
    if (m_wantedOuterSize.isValid() && frameGeometry().size() != m_wantedOuterSize)
        setOuterSize(m_wantedOuterSize);
    if (m_wantedPosition)
        move(*m_wantedPosition);
    // The window manager keeps the window from getting lower than the column can hold; the
    // resize rule still snaps it back where a manager does not.
    const int frame = frameGeometry().height() - height();
    setMinimumHeight(std::max(0, TwipsToPixels(kMinWindowHeight) - frame));
    AfterFirstFrame(
        this, [this] { m_player->StartCore(); }, kLatestPlayerStartMs);
}

} // namespace tobimaru
