#include "app/Form1.h"

#include "app/ErrorBox.h"
#include "app/Form1Settings.h"
#include "app/Menus.h"
#include "app/Prompts.h"
#include "app/StatusPanels.h"
#include "app/Toolbar.h"
#include "app/Twips.h"
#include "input/PaneLayout.h"
#include "platform/ScreenSaver.h"
#include "settings/SettingsSchema.h"
#include "sysinfo/frmSplash.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QMenuBar>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

namespace tobimaru {

namespace {

QFrame* MakeBar(QWidget* parent, const char* name, bool shadow) {
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    if (shadow) {
        f->setAutoFillBackground(true);
        QPalette pal = f->palette();
        pal.setColor(QPalette::Window, QColor(96, 96, 96));
        f->setPalette(pal);
        f->hide();
    } else {
        f->setFrameShape(QFrame::NoFrame);
    }
    return f;
}

const char* const kDisplaySizeItems[] = {"Dspsize(0)", "Dspsize(1)", "Dspsize(2)", "Dspsize(3)",
                                         "Dspsize(4)"};

} // namespace

Form1::Form1(const Form1Context& context, QWidget* parent)
    : QMainWindow(parent)
    , m_ctx(context) {
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    connectCommands();
}

Form1::~Form1() = default;

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

    auto* player = new QFrame(client);
    player->setFrameShape(QFrame::StyledPanel);
    player->setAutoFillBackground(true);
    QPalette pal = player->palette();
    pal.setColor(QPalette::Window, Qt::black);
    player->setPalette(pal);
    m_player = player;
    m_player->setObjectName(QStringLiteral("MediaPlayer1"));
    m_player->setAccessibleName(QStringLiteral("プレイヤー"));

    m_picSlider = MakeBar(client, "picSlider", false);
    m_picSlider2 = MakeBar(client, "picSlider2", false);
    m_picShadow = MakeBar(client, "picShadow", true);
    m_picShadow2 = MakeBar(client, "picShadow2", true);

    m_progress = new QProgressBar(statusBar());
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    statusBar()->addWidget(m_progress, 1);
    m_progress->hide();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));

    Panes panes;
    panes.client = client;
    panes.address = m_address;
    panes.tree = m_tree;
    panes.list = m_list;
    panes.player = m_player;
    panes.slider = m_picSlider;
    panes.slider2 = m_picSlider2;
    panes.shadow = m_picShadow;
    panes.shadow2 = m_picShadow2;
    m_layout = new PaneLayout(panes, this);

    // A window lower than this cannot hold the column.
    setMinimumHeight(TwipsToPixels(5940));
    setOuterSize(QSize(TwipsToPixels(12180), TwipsToPixels(9165)));
}

void Form1::connectCommands() {
    connect(m_menus, &Menus::command, this, &Form1::onMenuCommand);
    connect(m_status, &StatusPanels::rightClicked, this, [this](const QPoint& pos) {
        if (QMenu* m = m_menus->menu(QStringLiteral("DspOption")))
            m->exec(pos);
    });
}

void Form1::onMenuCommand(const QString& group, int index) {
    Prompts& prompts = *m_ctx.prompts;
    RunCommand(prompts, [&] {
        if (group == QLatin1String("ExitTobimaru")) {
            Unload();
            QCoreApplication::quit();
        } else if (group == QLatin1String("MnuGrid") || group == QLatin1String("TreeViewLine")) {
            applyChecksToControls();
        } else if (group == QLatin1String("Opt") && index == 2) {
            setAlwaysOnTop(m_menus->isChecked(QStringLiteral("Opt(2)")));
        } else if (group == QLatin1String("Opt") && index == 1) {
            m_status->setText(5, m_menus->isChecked(QStringLiteral("Opt(1)"))
                                     ? QStringLiteral("ミュートON")
                                     : QStringLiteral("ミュートOFF"));
        }
    });
}

void Form1::applyChecksToControls() {
    m_list->setProperty("gridLines", m_menus->isChecked(QStringLiteral("MnuGrid")));
    m_list->viewport()->update();
    // Branch lines come from the classic style; without them the tree keeps the desktop's style.
    static QStyle* lineStyle = QStyleFactory::create(QStringLiteral("Windows"));
    const bool lines = m_menus->isChecked(QStringLiteral("TreeViewLine"));
    m_tree->setStyle(lines && lineStyle ? lineStyle : QApplication::style());
    m_tree->setRootIsDecorated(true);
}

void Form1::setAlwaysOnTop(bool on) {
    m_status->setText(6, on ? QStringLiteral("常に最前面ON") : QStringLiteral("常に最前面OFF"));
    if (on == bool(windowFlags() & Qt::WindowStaysOnTopHint))
        return;
    // Changing a window flag re-creates the native window: keep where and how big it is.
    const QRect geometry = this->geometry();
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    setGeometry(geometry);
    if (shown)
        show();
}

void Form1::Load(frmSplash* splash) {
    // Continuous play starts armed, down the list, without repeat.
    m_picShadow->setFixedWidth(TwipsToPixels(25));
    m_timer2->stop();

    if (splash)
        splash->setSpeedText(QStringLiteral("MediaPlayer Play Speed:") + QString::number(1.0));
    m_toolbar->slider()->setValue(10);

    auto* model = new QStandardItemModel(0, 4, m_list);
    model->setHorizontalHeaderLabels({QStringLiteral("名前"), QStringLiteral("拡張子"),
                                      QStringLiteral("サイズ(KB)"), QStringLiteral("更新日付")});
    m_list->setModel(model);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QFontMetrics fm(m_list->font());
    for (int c = 0; c < 4; ++c)
        m_list->setColumnWidth(c, fm.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString()) + 24);

    m_baseCaption = AppTitle() + QStringLiteral(" Ver%1.%2.%3")
                                     .arg(TOBIMARU_VERSION_MAJOR)
                                     .arg(TOBIMARU_VERSION_MINOR)
                                     .arg(TOBIMARU_VERSION_PATCH);
    setWindowTitle(m_baseCaption);

    Form1Settings host(*this);
    LoadSettings(m_ctx.iniPath, host, *m_ctx.prompts, m_settings);

    m_layout->ApplySplitter();
    m_layout->ApplySplitter2();

    m_menus->setChecked(QStringLiteral("MnuLoop"), false);
    m_progress->hide();
    applyChecksToControls();

    int checkedSize = -1;
    for (int i = 0; i < 5; ++i) {
        if (m_menus->isChecked(QString::fromLatin1(kDisplaySizeItems[i]))) {
            checkedSize = i;
            break;
        }
    }
    m_status->setText(4, checkedSize >= 0
                             ? m_menus->item(QString::fromLatin1(kDisplaySizeItems[checkedSize]))->text()
                             : QString());
    m_status->setText(5, m_menus->isChecked(QStringLiteral("Opt(1)")) ? QStringLiteral("ミュートON")
                                                                      : QStringLiteral("ミュートOFF"));
    setAlwaysOnTop(m_menus->isChecked(QStringLiteral("Opt(2)")));
    m_loaded = true;
}

void Form1::Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        Form1Settings host(*this);
        SaveSettings(m_ctx.iniPath, host, *m_ctx.prompts);
    }
    if (m_settings.ScreenSaverOff == 1) {
        Form1Settings host(*this);
        host.setScreenSaverActive(true);
    }
    QApplication::restoreOverrideCursor();
}

void Form1::StartupSelectTree() {}

int Form1::storedWindowState() const {
    if (isMinimized())
        return 1;
    if (isMaximized())
        return 2;
    return 0;
}

void Form1::closeEvent(QCloseEvent* event) {
    Unload();
    event->accept();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMaximized() && !isMinimized() && !isFullScreen())
        m_normalSize = frameGeometry().size();
}


} // namespace tobimaru

namespace tobimaru {

void Form1::setOuterSize(const QSize& size)
{
    m_wantedOuterSize = size;
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(size - frame);
}

void Form1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The frame exists only now: take it off the stored outer size once, keeping the position.
    const QPoint topLeft = frameGeometry().topLeft();
    if (m_wantedOuterSize.isValid() && frameGeometry().size() != m_wantedOuterSize) {
        setOuterSize(m_wantedOuterSize);
        move(topLeft);
    }
}

} // namespace tobimaru
