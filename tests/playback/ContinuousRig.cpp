#include "playback/ContinuousRig.h"

#include "base/PathQueries.h"
#include "playback/PlayerTestSupport.h"
#include "support/CommandRun.h"
#include "support/MediaMaker.h"
#include "ui/CommandSources.h"
#include "ui/ViewBindings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace tobimaru::test {

namespace {

QString CopyInto(const QString& source, const QString& target) {
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (!QFile::copy(source, target))
        throw std::runtime_error("cannot copy " + target.toStdString());
    return target;
}

} // namespace

const QString& ContinuousMedia::clip() {
    if (m_clip.isEmpty())
        m_clip = MediaMaker::clip(dir.file(QStringLiteral("made/clip.avi")), 0.5);
    return m_clip;
}

const QString& ContinuousMedia::three() {
    if (m_three.isEmpty()) {
        const QString folder = dir.mkdir(QStringLiteral("three"));
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            CopyInto(clip(), folder + QLatin1Char('/') + QLatin1String(name));
        m_three = folder;
    }
    return m_three;
}

const QString& ContinuousMedia::single() {
    if (m_single.isEmpty())
        m_single = GetParentPath(CopyInto(clip(), dir.file(QStringLiteral("single/only.avi"))));
    return m_single;
}

const QString& ContinuousMedia::slides() {
    if (m_slides.isEmpty()) {
        MediaMaker::picture(dir.file(QStringLiteral("slides/a.jpg")));
        m_slides = GetParentPath(CopyInto(clip(), dir.file(QStringLiteral("slides/b.avi"))));
    }
    return m_slides;
}

const QString& ContinuousMedia::pictures() {
    if (m_pictures.isEmpty()) {
        const QString folder = dir.mkdir(QStringLiteral("pictures"));
        for (const char* name : {"p1.jpg", "p2.png", "p3.gif"})
            MediaMaker::picture(folder + QLatin1Char('/') + QLatin1String(name));
        m_pictures = folder;
    }
    return m_pictures;
}

const QString& ContinuousMedia::broken() {
    if (m_broken.isEmpty()) {
        dir.write(QStringLiteral("broken/a.avi"), QByteArray("not a video\n").repeated(800));
        m_broken = GetParentPath(CopyInto(clip(), dir.file(QStringLiteral("broken/b.avi"))));
    }
    return m_broken;
}

const QString& ContinuousMedia::slow() {
    if (m_slow.isEmpty())
        m_slow = GetParentPath(MediaMaker::clip(dir.file(QStringLiteral("slow/long.avi")), 3.0));
    return m_slow;
}

const QString& ContinuousMedia::withFolder() {
    if (m_withFolder.isEmpty()) {
        dir.mkdir(QStringLiteral("withfolder/sub"));
        m_withFolder = GetParentPath(CopyInto(clip(), dir.file(QStringLiteral("withfolder/a.avi"))));
    }
    return m_withFolder;
}

ContinuousRig::ContinuousRig()
    : window(std::make_unique<QWidget>()) {
    window->setObjectName(QStringLiteral("Form1"));
    window->setGeometry(100, 100, 640, 480);
    auto* layout = new QVBoxLayout(window.get());
    auto* menuBar = new QMenuBar(window.get());
    layout->setMenuBar(menuBar);
    menus = new Menus(menuBar, window.get());
    auto* bar = new QToolBar(window.get());
    layout->addWidget(bar);
    toolbar = new Toolbar(bar);
    ListView1 = new QTreeView(window.get());
    ListView1->setObjectName(QStringLiteral("ListView1"));
    layout->addWidget(ListView1);
    player = new MediaPlayer(window.get(), QuietPlayer());
    layout->addWidget(player);
    auto* statusBar = new QStatusBar(window.get());
    layout->addWidget(statusBar);
    status = new StatusPanels(statusBar);
    QObject::connect(&caption, &WindowCaption::changed, window.get(), &QWidget::setWindowTitle);
    caption.setBase(baseCaption());

    listView = std::make_unique<FileListView>(ListView1, icons, prompts);
    PlaybackWiring wiring;
    wiring.ListView1 = ListView1;
    wiring.model = listView->model();
    wiring.player = player;
    wiring.window = window.get();
    wiring.caption = &caption;
    wiring.timer1 = &timer1;
    wiring.speedSlider = toolbar->slider();
    wiring.icons = &icons;
    wiring.prompts = &prompts;
    wiring.opener = &opener;
    wiring.settings = &settings;
    wiring.folderMarker = &folders;
    wiring.quickPaths = &folders;
    wiring.setFullScreen = [this](bool on) { fullScreenCalls << on; };
    wiring.showOptionsDialog = [this] { ++optionsDialogs; };
    playback = std::make_unique<PlaybackSubsystem>(wiring);
    playback->registerCommands(table);
    BindPlaybackViews(playback->state(), *menus, *toolbar, *status);
    ConnectCommandSources(*menus, *toolbar, table, [this] { playback->commands().OnAnyToolbarClick(); });
    menus->setChecked(QStringLiteral("Dspsize(0)"), true);

    state = &playback->state();
    slideShow = &playback->slideShow();
    movie = &playback->movie();
    play = &playback->play();
    speed = &playback->speed();
    display = &playback->display();
    newStreams = std::make_unique<QSignalSpy>(player, &MediaPlayer::NewStream);
}

ContinuousRig::~ContinuousRig() {
    // The player's last events must not reach objects already gone.
    QObject::disconnect(player, nullptr, play, nullptr);
    movie->PlayStop();
}

bool ContinuousRig::OnToolbarButton(const QString& key) {
    playback->commands().OnAnyToolbarClick();
    return ExecuteButton(table, key);
}

bool ContinuousRig::OnMenuCommand(const QString& name) {
    return ExecuteMenuItem(table, name);
}

bool ContinuousRig::OnWindowKeyRelease(int key, Qt::KeyboardModifiers modifiers) {
    return ExecuteKey(table, WindowKeyCommand(key, modifiers, KeyPhase::Release));
}

bool ContinuousRig::OnListKeyPress(int key, Qt::KeyboardModifiers modifiers) const {
    return ControlKeyCommand(KeyPlace::List, key, modifiers, KeyPhase::Press) == KeyCommand::Discard;
}

bool ContinuousRig::OnListKeyRelease(int key, Qt::KeyboardModifiers modifiers) {
    return ExecuteKey(table, ControlKeyCommand(KeyPlace::List, key, modifiers, KeyPhase::Release));
}

bool ContinuousRig::OnListDoubleClick(const QModelIndex& index) {
    return playback->commands().OnListDoubleClick(index);
}

void ContinuousRig::list(const QString& folder, bool fileView) {
    ListOptions options;
    options.ListPattern = QStringLiteral("*.avi;*.jpg;*.png;*.gif");
    options.FileViewMode = fileView;
    options.ShowFolders = fileView;
    listView->ListFolder(folder, false, options);
}

void ContinuousRig::select(int row) {
    ListView1->selectionModel()->setCurrentIndex(model().index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                            QItemSelectionModel::Rows);
}

bool ContinuousRig::waitNewStreams(int count, int timeoutMs) {
    return WaitUntil([&] { return newStreams->count() >= count; }, timeoutMs);
}

bool ContinuousRig::waitPlaying(const QString& key, int timeoutMs) {
    return WaitUntil([&] { return play->PlayingPath() == key; }, timeoutMs);
}

void ContinuousRig::checkQuickPathMode(int mode) {
    folders.mode = mode;
}

} // namespace tobimaru::test
