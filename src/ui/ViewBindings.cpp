#include "ui/ViewBindings.h"

#include "base/ErrorTable.h"
#include "browse/QuickPaths.h"
#include "playback/ContinuousRules.h"
#include "playback/PlaybackState.h"
#include "ui/Menus.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"

#include <QAction>
#include <QMenu>
#include <QSignalBlocker>
#include <functional>

namespace tobimaru {

namespace {

constexpr int kDisplaySizes = 5;
constexpr int kQuickPathModes = 3;

QString Indexed(const char* group, int i) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(group)).arg(i);
}

void SetQuietly(QAction* action, bool on) {
    const QSignalBlocker blocker(action);
    action->setChecked(on);
}

/// A check that mirrors one Boolean of a model, both ways.
template <typename Model, typename Signal>
void BindCheck(QAction* action, Model& model, bool (Model::*get)() const, std::function<void(bool)> set,
               Signal changed) {
    SetQuietly(action, (model.*get)());
    QObject::connect(action, &QAction::toggled, &model, std::move(set));
    QObject::connect(&model, changed, action, [action, &model, get] { SetQuietly(action, (model.*get)()); });
}

/// Items of which one at most is checked, mirroring a model's index (-1 none). An item the user
/// unchecks by clicking it again stays checked: the command that follows decides. Returns what
/// shows the model's index again, for its change signal.
std::function<void()> BindExclusive(const QList<QAction*>& items, std::function<int()> get,
                                    std::function<void(int)> set, QObject* model) {
    auto show = [items, get] {
        const int current = get();
        for (int i = 0; i < items.size(); ++i)
            SetQuietly(items[i], i == current);
    };
    show();
    for (int i = 0; i < items.size(); ++i) {
        QAction* a = items[i];
        QObject::connect(a, &QAction::toggled, model, [a, i, get, set](bool on) {
            if (on)
                set(i);
            else if (get() == i)
                SetQuietly(a, true);
        });
    }
    return show;
}

QList<QAction*> Group(Menus& menus, const char* name, int count) {
    QList<QAction*> out;
    for (int i = 0; i < count; ++i)
        out << menus.item(Indexed(name, i));
    return out;
}

/// "Name(i)" with a group name and an index inside 0..count-1; throws for a bad index.
std::optional<int> IndexIn(const QString& item, const char* group, int count) {
    const auto [name, index] = SplitItemName(item);
    if (name != QLatin1String(group) || index < 0)
        return std::nullopt;
    if (index >= count)
        throw Failure(ErrorCode::SubscriptOutOfRange, group);
    return index;
}

} // namespace

void BindPlaybackViews(PlaybackState& state, Menus& menus, Toolbar& toolbar, StatusPanels& status) {
    PlaybackState* s = &state;
    BindCheck(
        menus.item(QStringLiteral("Opt(1)")), state, &PlaybackState::mute, [s](bool on) { s->setMute(on); },
        &PlaybackState::muteChanged);
    BindCheck(
        menus.item(QStringLiteral("Opt(2)")), state, &PlaybackState::alwaysOnTop,
        [s](bool on) { s->setAlwaysOnTop(on); }, &PlaybackState::alwaysOnTopChanged);
    BindCheck(
        menus.item(QStringLiteral("Opt(3)")), state, &PlaybackState::slideShow,
        [s](bool on) { s->setSlideShow(on); }, &PlaybackState::slideShowChanged);
    QAction* fileView = toolbar.button(QStringLiteral("ファイルビュー"));
    BindCheck(
        fileView, state, &PlaybackState::fileView, [s](bool on) { s->setFileView(on); },
        &PlaybackState::fileViewChanged);

    const auto showSizeChecks = BindExclusive(
        Group(menus, "Dspsize", kDisplaySizes), [s] { return s->displaySize(); },
        [s](int i) { s->setDisplaySize(i); }, s);
    QObject::connect(s, &PlaybackState::displaySizeChanged, &menus, showSizeChecks);

    // Repeat: the menu item follows every change; the toolbar button only the F9 key (a click on
    // it flipped it already, and the menu item leaves it as it stands).
    QAction* loopItem = menus.item(QStringLiteral("MnuLoop"));
    QAction* loopButton = toolbar.button(QStringLiteral("リピート再生"));
    SetQuietly(loopItem, state.repeat());
    QObject::connect(&state, &PlaybackState::repeatChanged, loopItem,
                     [loopItem, loopButton](bool on, bool fromKey) {
                         SetQuietly(loopItem, on);
                         if (fromKey)
                             SetQuietly(loopButton, on);
                     });

    QAction* down = toolbar.button(QStringLiteral("昇順"));
    QAction* up = toolbar.button(QStringLiteral("降順"));
    auto showOrder = [down, up](bool reverse) {
        SetQuietly(down, !reverse);
        SetQuietly(up, reverse);
    };
    showOrder(state.reverseOrder());
    QObject::connect(&state, &PlaybackState::reverseOrderChanged, down, showOrder);
    QObject::connect(&state, &PlaybackState::pausedChanged, &toolbar, [&toolbar](bool paused) {
        toolbar.setImage(QStringLiteral("再生"), paused ? QStringLiteral("Pause") : QStringLiteral("Play"));
    });

    // The extraction buttons belong to file view, and the speed slider makes room for them.
    auto showExtract = [&toolbar](bool on) {
        for (const char* key : {"解凍", "選択解凍"}) {
            if (QAction* a = toolbar.button(QString::fromUtf8(key)))
                a->setVisible(on);
        }
        toolbar.placeSlider(on);
    };
    showExtract(state.fileView());
    QObject::connect(&state, &PlaybackState::fileViewChanged, &toolbar, showExtract);

    StatusPanels* panels = &status;
    Menus* m = &menus;
    auto showSize = [panels, m](int index) {
        panels->setText(4, index >= 0 ? m->item(Indexed("Dspsize", index))->text() : QString());
    };
    auto showMute = [panels](bool on) {
        panels->setText(5, on ? QStringLiteral("ミュートON") : QStringLiteral("ミュートOFF"));
    };
    auto showTopmost = [panels](bool on) {
        panels->setText(6, on ? QStringLiteral("常に最前面ON") : QStringLiteral("常に最前面OFF"));
    };
    auto showRate = [panels](double rate) { panels->setText(7, RatePanelText(rate)); };
    showSize(state.displaySize());
    showMute(state.mute());
    showTopmost(state.alwaysOnTop());
    showRate(state.playRate());
    QObject::connect(&state, &PlaybackState::displaySizeChanged, panels, showSize);
    QObject::connect(&state, &PlaybackState::muteChanged, panels, showMute);
    QObject::connect(&state, &PlaybackState::alwaysOnTopChanged, panels, showTopmost);
    QObject::connect(&state, &PlaybackState::playRateChanged, panels, showRate);
}

void BindQuickPathMenu(QuickPaths& paths, Menus& menus) {
    QuickPaths* p = &paths;
    auto showSlot = [p, &menus](int slot) {
        QAction* a = menus.item(Indexed("pass", slot));
        a->setText(p->caption(slot));
        a->setVisible(p->visible(slot));
    };
    for (int i = 0; i < QuickPaths::kSlots; ++i)
        showSlot(i);
    QObject::connect(p, &QuickPaths::slotChanged, &menus, showSlot);

    QMenu* quickAccess = menus.menu(QStringLiteral("quickAccess"));
    const auto showModeChecks = BindExclusive(
        Group(menus, "QuickPathSet", kQuickPathModes), [p] { return p->checkedMode(); },
        [p](int i) { p->QuickPathSet_Click(i); }, p);
    auto showMode = [p, quickAccess, showModeChecks] {
        showModeChecks();
        quickAccess->setTitle(p->menuTitle());
    };
    showMode();
    QObject::connect(p, &QuickPaths::modeChanged, &menus, showMode);
}

bool SetModelCheck(PlaybackState& state, QuickPaths& paths, const QString& item, bool on) {
    if (const auto i = IndexIn(item, "Dspsize", kDisplaySizes)) {
        if (on)
            state.setDisplaySize(*i);
        else if (state.displaySize() == *i)
            state.setDisplaySize(-1);
    } else if (const auto mode = IndexIn(item, "QuickPathSet", kQuickPathModes)) {
        if (on)
            paths.QuickPathSet_Click(*mode);
        else if (paths.checkedMode() == *mode)
            paths.QuickPathSet_Click(-1);
    } else if (item == QLatin1String("Opt(1)")) {
        state.setMute(on);
    } else if (item == QLatin1String("Opt(2)")) {
        state.setAlwaysOnTop(on);
    } else if (item == QLatin1String("Opt(3)")) {
        state.setSlideShow(on);
    } else if (item == QLatin1String("MnuLoop")) {
        state.setRepeat(on);
    } else {
        return false;
    }
    return true;
}

std::optional<bool> ModelCheck(const PlaybackState& state, const QuickPaths& paths, const QString& item) {
    if (const auto i = IndexIn(item, "Dspsize", kDisplaySizes))
        return state.displaySize() == *i;
    if (const auto mode = IndexIn(item, "QuickPathSet", kQuickPathModes))
        return paths.checkedMode() == *mode;
    if (item == QLatin1String("Opt(1)"))
        return state.mute();
    if (item == QLatin1String("Opt(2)"))
        return state.alwaysOnTop();
    if (item == QLatin1String("Opt(3)"))
        return state.slideShow();
    if (item == QLatin1String("MnuLoop"))
        return state.repeat();
    return std::nullopt;
}

} // namespace tobimaru
