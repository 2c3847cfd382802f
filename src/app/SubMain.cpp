#include "app/SubMain.h"

#include "app/Form1.h"
#include "app/Startup.h"
#include "base/IconSet.h"
#include "browse/BrowseFolder.h"
#include "platform/FileManager.h"
#include "platform/OsVersion.h"
#include "platform/ScreenSaver.h"
#include "platform/SearchTool.h"
#include "platform/ShellOpen.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationWatcher.h"
#include "platform/Trash.h"
#include "platform/WaitCursor.h"
#include "playback/clsMovie.h"
#include "settings/IniFile.h"
#include "ui/AppIcon.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/Toolbar.h"
#include "ui/frmSplash.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <clocale>
#include <memory>

namespace tobimaru {

int SubMain(int argc, char** argv) {
    QApplication app(argc, argv);
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    // X11 desktops match the window to its menu entry by the window class, which Qt takes from
    // the application name; Wayland ones by the application id, which is the desktop file name.
    QApplication::setApplicationName(AppTitle());
    QGuiApplication::setDesktopFileName(QStringLiteral(TOBIMARU_APP_ID));
    QApplication::setWindowIcon(AppIcon());
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    MessageBoxPrompts prompts;
    prompts.setPlacesFunction(static_cast<QStringList (*)(int)>(&BrowsePlaces));
    SingleInstance instance;
    if (!RefuseSecondInstance(instance, prompts))
        return instance.outcome() == SingleInstance::Outcome::LockUnusable ? 1 : 0;

    DBusScreenSaver screenSaver;
    DesktopShellOpener shell;
    const std::unique_ptr<Trash> trash = MakeSessionTrash();
    const std::unique_ptr<FileManager> fileManager = MakeSessionFileManager();
    const std::unique_ptr<SearchTool> searchTool = MakeSessionSearchTool();
    std::unique_ptr<Form1> form;
    {
        const WaitCursor busy;
        auto splash = std::make_unique<frmSplash>();
        splash->show();
        splash->repaint();
        QApplication::processEvents();

        const IconSet icons = ChooseIconSet(GetOsVersionString());
        Form1Context ctx;
        ctx.prompts = &prompts;
        ctx.iniPath = DefaultIniPath();
        ctx.screenSaver = &screenSaver;
        ctx.shell = &shell;
        ctx.iconSet = icons;
        ctx.trash = trash.get();
        ctx.fileManager = fileManager.get();
        ctx.searchTool = searchTool.get();
        ctx.mediaControls = true;
        form = std::make_unique<Form1>(ctx);
        prompts.setParent(form.get());
        form->Load(splash.get());
        splash.reset();
        PutToolbarImages(form->toolbar(), icons);
        form->show();
        form->StartupSelectTree();
    }

    TerminationWatcher terminate;
    QObject::connect(&terminate, &TerminationWatcher::terminationRequested, form.get(), &QWidget::close);
    const int rc = QApplication::exec();
    form->Unload();
    return rc;
}

} // namespace tobimaru
