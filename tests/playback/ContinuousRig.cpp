#include "playback/ContinuousRig.h"

#include "base/PathQueries.h"
#include "playback/PlayerTestSupport.h"
#include "support/MediaMaker.h"

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
    menus->setChecked(QStringLiteral("QuickPathSet(2)"), true);
    menus->setChecked(QStringLiteral("Dspsize(0)"), true);

    listView = std::make_unique<FileListView>(ListView1, icons, prompts);
    slideShow = std::make_unique<SlideShow>(timer1, settings);
    movie = std::make_unique<clsMovie>(*player, prompts, opener, [this] { slideShow->Disable(); });

    ContinuousPlayParts parts;
    parts.ListView1 = ListView1;
    parts.model = listView->model();
    parts.movie = movie.get();
    parts.player = player;
    parts.menus = menus;
    parts.toolbar = toolbar;
    parts.status = status;
    parts.window = window.get();
    parts.BaseCaption = baseCaption();
    parts.icons = &icons;
    parts.folderMarker = &folders;
    parts.quickPaths = &folders;
    parts.prompts = &prompts;
    parts.settings = &settings;
    parts.slideShow = slideShow.get();
    play = std::make_unique<ContinuousPlay>(parts);

    speed = std::make_unique<SpeedControl>(toolbar->slider(), *player, *status, *slideShow);

    DisplayOptionsParts dparts;
    dparts.menus = menus;
    dparts.status = status;
    dparts.movie = movie.get();
    dparts.player = player;
    dparts.slideShow = slideShow.get();
    dparts.settings = &settings;
    dparts.ListView1 = ListView1;
    dparts.model = listView->model();
    dparts.window = window.get();
    dparts.BaseCaption = baseCaption();
    dparts.setFullScreen = [this](bool on) { fullScreenCalls << on; };
    dparts.showOptionsDialog = [this] { ++optionsDialogs; };
    display = std::make_unique<DisplayOptions>(dparts);

    commands = std::make_unique<PlaybackCommands>(*play, *speed, *display, *slideShow, prompts);
    QObject::connect(menus, &Menus::command, menus,
                     [this](const QString& group, int index) { commands->OnMenuCommand(group, index); });
    QObject::connect(toolbar, &Toolbar::buttonClicked, toolbar,
                     [this](const QString& key) { commands->OnToolbarButton(key); });
    newStreams = std::make_unique<QSignalSpy>(player, &MediaPlayer::NewStream);
}

ContinuousRig::~ContinuousRig() {
    // The player's last events must not reach objects already gone.
    QObject::disconnect(player, nullptr, play.get(), nullptr);
    movie->PlayStop();
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
    for (int i = 0; i <= 2; ++i)
        menus->setChecked(QStringLiteral("QuickPathSet(%1)").arg(i), i == mode);
}

} // namespace tobimaru::test
