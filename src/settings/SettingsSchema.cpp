#include "settings/SettingsSchema.h"

#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "settings/IniFile.h"
#include "settings/IniSession.h"
#include "settings/MediaTypeTable.h"
#include "settings/SettingsConvert.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsHost.h"
#include "settings/StartFolder.h"

#include <QAnyStringView>
#include <algorithm>
#include <limits>

namespace tobimaru {

namespace {

constexpr int kDisplaySizeItems = 5;
constexpr int kQuickPathItems = 7;
constexpr int kQuickPathModes = 3;

// The window of a first start, when the file holds no position at all.
constexpr int kFirstLeft = 1260;
constexpr int kFirstTop = 1695;

const QString kZero = QStringLiteral("0");

QString Indexed(const char* name, int i) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}

/// Reads keys of the accessor's current section with the defaults every read here passes.
class Reader final {
public:
    explicit Reader(clsIniFile& ini)
        : m_ini(ini) {}
    void section(const char* name) { m_ini.setSection(QLatin1String(name)); }
    QString text(QAnyStringView key) const { return m_ini.GetStrValue({}, {}, key.toString(), kZero); }
    qint32 integer(QAnyStringView key) const { return m_ini.GetIntValue({}, {}, key.toString(), 0); }
    int16_t int16(QAnyStringView key) const { return ToInt16(text(key)); }
    bool boolean(QAnyStringView key) const { return ToBoolean(text(key)); }
    float single(QAnyStringView key) const { return ToSingle(text(key)); }

private:
    clsIniFile& m_ini;
};

/// A quick path counts as stored when it is neither "0" (the read default) nor empty.
bool IsStoredPath(const QString& value) {
    return !value.isEmpty() && value != kZero;
}

void LoadBody(clsIniFile& ini, SettingsHost& host, RuntimeSettings& out) {
    Reader r(ini);

    r.section("Boot");
    const int16_t searchPath = r.int16("SearchPath");
    const int16_t bootPosition = r.int16("BootPosition");
    out.ScreenSaverOff = r.int16("ScreenSaver") == 1;
    const qint32 quickPathLoad = r.integer("QuickPathLoad");
    out.GesturesOn = NarrowToInt16(r.integer("mousePlay")) != 0;
    if (out.ScreenSaverOff)
        host.setScreenSaverActive(false);

    r.section("FormPos");
    const int16_t x = NarrowToInt16(r.integer("XPosition"));
    const int16_t y = NarrowToInt16(r.integer("YPosition"));
    const int16_t width = NarrowToInt16(r.integer("Width"));
    const int16_t height = NarrowToInt16(r.integer("Height"));
    // Where the desktop places the window itself, a move would only be ignored.
    const bool placeable = host.windowPositionKnown();
    if (x == 0 && y == 0 && width == 0 && height == 0) {
        if (placeable)
            host.setWindowPosition(kFirstLeft, kFirstTop);
        host.setWindowSize(kFirstStartWidthTwips, kFirstStartHeightTwips);
    } else {
        host.setWindowSize(width, height);
        if (placeable && bootPosition == 1) {
            // The window may have refused the stored size: centre what it actually took.
            const QSize window = host.windowSizeTwips();
            const QSize screen = host.screenSizeTwips();
            host.setWindowPosition((screen.width() - window.width()) / 2,
                                   (screen.height() - window.height()) / 2);
        } else if (placeable) {
            host.setWindowPosition(x, y);
        }
    }
    const qint32 windowState = r.integer("WindowState");
    if (windowState != 1) { // a stored minimised state is never restored
        if (windowState != 0 && windowState != 2)
            throw Failure(ErrorCode::InvalidPropertyValue, "WindowState");
        host.setWindowState(windowState);
    }

    r.section("MoviePlay");
    const int16_t displaySize = r.int16("ScreenSize");
    for (int i = 0; i < kDisplaySizeItems; ++i)
        host.setChecked(Indexed("Dspsize", i), false);
    host.setChecked(Indexed("Dspsize", displaySize), true); // no such item: SubscriptOutOfRange
    host.setChecked(QStringLiteral("Opt(1)"), r.boolean("MuteState"));
    host.setChecked(QStringLiteral("Opt(2)"), r.boolean("ScreenState"));
    host.setChecked(QStringLiteral("Opt(3)"), r.boolean("SlideState"));

    r.section("ListView");
    host.setChecked(QStringLiteral("MnuGrid"), r.boolean("GridLine"));
    host.setChecked(QStringLiteral("MnuIconSet"), r.boolean("IConDsp"));

    r.section("FilePath");
    const QString stored = r.text("Path");
    const QString storedDrive = host.driveName(stored);
    const QString current = host.currentDirectory();
    const QString currentDrive = host.driveName(current);
    // The drive check tells the user itself why the stored folder cannot be opened.
    if (searchPath == 1 && host.checkDriveReady(stored) && ExistsFolder(stored)) {
        out.StartFolder = stored;
        out.StartDrive = storedDrive;
        // Linux paths carry no mark of a network share; the host offers no drive kind yet, so
        // NetworkShareRoot stays empty here.
    } else {
        out.StartFolder = current;
        out.StartDrive = currentDrive;
    }

    r.section("QuickPath");
    bool anyStored = false;
    for (int i = 1; i <= 6; ++i)
        anyStored = anyStored || IsStoredPath(r.text(QStringLiteral("Path%1").arg(i)));
    if (quickPathLoad == 0 && anyStored) {
        for (int i = 0; i < kQuickPathItems; ++i) {
            const QString value = r.text(QStringLiteral("Path%1").arg(i + 1));
            if (IsStoredPath(value))
                host.setQuickPathItem(i, value, true);
            else
                host.setQuickPathItem(i, QString(), false);
        }
    } else {
        for (int i = 0; i < kQuickPathItems; ++i)
            host.setQuickPathItem(i, QString(), false);
    }
    out.QuickPathMode = NarrowToInt16(r.integer("QuickPathValue"));

    r.section("MediaSize");
    const float playerHeight = r.single("MediaSizeHeight");
    host.setPlayerSize(playerHeight, host.playerWidthTwips());
    host.setPlayerSize(playerHeight, r.single("MediaSizeWidth"));

    r.section("SpPos");
    if (const QString left = r.text("SpLeft"); left != kZero)
        host.setShadowLeft(ToSingle(left));
    if (const QString top = r.text("SpTop"); top != kZero)
        host.setShadowTop(ToSingle(top));

    r.section("ListFile");
    out.ListPattern = ListPatternFromStored(r.text("DspFile"));

    r.section("SlideShow");
    out.SlideSeconds = r.int16("SlideTime");
    out.SlideKind = r.int16("SlideType");

    r.section("TreeView");
    host.setChecked(QStringLiteral("TreeViewLine"), r.boolean("TreeViewLine"));

    r.section("FileView");
    out.ShowHidden = r.int16("HiddenAtr") != 0;
    out.ShowSystem = r.int16("SystemAtr") != 0;
    out.ShowReadOnly = r.int16("ReadOnlyAtr") != 0;
    out.ShowFolders = r.int16("FolderDsp") != 0;
}

/// The load takes the window's place and size as 16-bit numbers and refuses anything wider,
/// which would cost every setting read after them at each start. 32767 twips is under 2200
/// pixels at 96 DPI, so a window on the right of a wide desktop or spanning a large monitor
/// reaches it: such values are written at the nearest number the load still takes.
int ClampToInt16(qint32 value) {
    return std::clamp<qint32>(value, std::numeric_limits<int16_t>::min(),
                              std::numeric_limits<int16_t>::max());
}

/// Index of the first checked item of a menu array, or -1.
int FirstChecked(const SettingsHost& host, const char* name, int count) {
    for (int i = 0; i < count; ++i) {
        if (host.isChecked(Indexed(name, i)))
            return i;
    }
    return -1;
}

void SaveBody(clsIniFile& ini, SettingsHost& host) {
    const auto write = [&ini](QAnyStringView key, const IniValue& value) {
        ini.SetValue(value, {}, {}, key.toString());
    };

    ini.setSection(QStringLiteral("FormPos"));
    // Where the position cannot be read, the one stored stays for the next start on a desktop
    // that can place the window again.
    if (host.windowPositionKnown()) {
        write("XPosition", ClampToInt16(RoundToInt32(host.windowLeftTwips())));
        write("YPosition", ClampToInt16(RoundToInt32(host.windowTopTwips())));
    }
    // A window kept maximised all session never had a normal size of its own; the size the
    // load gave it is still the one to come back to, so the stored one stays.
    if (host.normalWidthTwips() > 0 && host.normalHeightTwips() > 0) {
        write("Width", ClampToInt16(host.normalWidthTwips()));
        write("Height", ClampToInt16(host.normalHeightTwips()));
    }
    write("WindowState", host.windowState());

    ini.setSection(QStringLiteral("FilePath"));
    const std::optional<QString> selected = host.selectedTreeKey();
    if (!selected)
        throw Failure(ErrorCode::ObjectNotSet, "selectedTreeKey");
    write("Path", *selected);

    ini.setSection(QStringLiteral("QuickPath"));
    for (int i = 0; i < kQuickPathItems; ++i)
        write(QStringLiteral("Path%1").arg(i + 1), host.quickPathCaption(i));
    if (const int mode = FirstChecked(host, "QuickPathSet", kQuickPathModes); mode >= 0)
        write("QuickPathValue", mode);

    ini.setSection(QStringLiteral("MediaSize"));
    write("MediaSizeHeight", float(host.playerHeightTwips()));
    write("MediaSizeWidth", float(host.playerWidthTwips()));

    ini.setSection(QStringLiteral("SpPos"));
    write("SpLeft", float(host.shadowLeft()));
    write("SpTop", float(host.shadowTop()));

    ini.setSection(QStringLiteral("ListView"));
    write("GridLine", host.isChecked(QStringLiteral("MnuGrid")));
    write("IConDsp", host.isChecked(QStringLiteral("MnuIconSet")));

    ini.setSection(QStringLiteral("MoviePlay"));
    if (const int size = FirstChecked(host, "Dspsize", kDisplaySizeItems); size >= 0)
        write("ScreenSize", size);
    write("MuteState", host.isChecked(QStringLiteral("Opt(1)")));
    write("ScreenState", host.isChecked(QStringLiteral("Opt(2)")));
    write("SlideState", host.isChecked(QStringLiteral("Opt(3)")));

    ini.setSection(QStringLiteral("TreeView"));
    write("TreeViewLine", host.isChecked(QStringLiteral("TreeViewLine")));
}

} // namespace

void LoadSettings(const QString& iniPath, SettingsHost& host, Prompts& prompts, RuntimeSettings& out) {
    // The start is the moment nothing else writes the file: what a killed save left goes now.
    RemoveStaleSaveFiles(iniPath);
    // A load that stops early must still leave a usable start folder and list pattern behind:
    // the current directory and the built-in list are what an empty file gives too.
    if (out.ListPattern.isEmpty())
        out.ListPattern = BuiltInListPattern();
    // Reads only: the session is never committed, so nothing is written at start-up.
    IniSession session(iniPath);
    RunCommand(prompts, [&] {
        if (out.StartFolder.isEmpty()) {
            out.StartFolder = host.currentDirectory();
            out.StartDrive = host.driveName(out.StartFolder);
        }
        clsIniFile ini(session);
        LoadBody(ini, host, out);
    });
    // Whichever way the load ended, the tree opens down to this folder and the save at exit
    // stores the node it selected: a folder the tree cannot show would fail both, at every start.
    AdmitStartFolder(host, out);
}

void SaveSettings(const QString& iniPath, SettingsHost& host, Prompts& prompts) {
    IniSession session(iniPath);
    RunCommand(prompts, [&] {
        clsIniFile ini(session);
        SaveBody(ini, host);
    });
    // One replace of the file with every key written, also those written before a failure
    // ended the save; a failed write goes unnoticed, as it always has.
    session.commit();
}

} // namespace tobimaru
