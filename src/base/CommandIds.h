#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace tobimaru {

/// The name of one behaviour of the window ("playback.next"). Menu items, toolbar buttons, keys,
/// gestures and the desktop's media controls all reach a behaviour through its id, so a handler
/// is registered once whatever reaches it. Ids are plain ASCII and built from literals only: the
/// compiler rejects anything else.
class CommandId final {
public:
    template <std::size_t N>
    consteval CommandId(const char (&text)[N]) // NOLINT(google-explicit-constructor): ids are literals
        : m_text(text, N - 1) {
        static_assert(N > 1, "a command id is never empty");
        for (const char c : m_text) {
            if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7e)
                throw "a command id is printable ASCII without spaces";
        }
    }

    constexpr std::string_view text() const { return m_text; }
    QString toString() const { return QString::fromLatin1(m_text.data(), qsizetype(m_text.size())); }

    friend constexpr bool operator==(CommandId a, CommandId b) { return a.m_text == b.m_text; }
    friend constexpr auto operator<=>(CommandId a, CommandId b) { return a.m_text <=> b.m_text; }

private:
    std::string_view m_text;
};

inline size_t qHash(CommandId id, size_t seed = 0) noexcept {
    return std::hash<std::string_view>{}(id.text()) ^ seed;
}

/// One constant per behaviour. Two sources share an id only when they run the same handler.
namespace cmd {

// Playback.
inline constexpr CommandId PlayOrPause{"playback.playOrPause"};
/// Play or pause, only with rows listed: the toolbar's play button, Space, the right stroke.
inline constexpr CommandId PlayOrPauseIfListed{"playback.playOrPauseIfListed"};
inline constexpr CommandId Stop{"playback.stop"};
inline constexpr CommandId Previous{"playback.previous"};
inline constexpr CommandId Next{"playback.next"};
/// The repeat button or menu item, which have flipped their check already.
inline constexpr CommandId RepeatClicked{"playback.repeatClicked"};
/// F9, which flips the repeat state itself.
inline constexpr CommandId RepeatByKey{"playback.repeatByKey"};
inline constexpr CommandId OrderForward{"playback.orderForward"};
inline constexpr CommandId OrderReverse{"playback.orderReverse"};
inline constexpr CommandId RateOne{"playback.rateOne"};

// Display size of the player pane, in the order of its menu.
inline constexpr CommandId DisplayFit{"display.fit"};
inline constexpr CommandId DisplayHalf{"display.half"};
inline constexpr CommandId DisplayActual{"display.actual"};
inline constexpr CommandId DisplayDouble{"display.double"};
inline constexpr CommandId DisplayFullScreen{"display.fullScreen"};

// The option menu.
inline constexpr CommandId OptionMute{"option.mute"};
inline constexpr CommandId OptionOnTop{"option.onTop"};
inline constexpr CommandId OptionSlideShow{"option.slideShow"};
inline constexpr CommandId OptionQuickPathPlay{"option.quickPathPlay"};
inline constexpr CommandId OptionDialog{"option.dialog"};

// Going places.
inline constexpr CommandId GoDesktop{"go.desktop"};
inline constexpr CommandId GoDocuments{"go.documents"};
inline constexpr CommandId GoNetwork{"go.network"};
inline constexpr CommandId GoChooseFolder{"go.chooseFolder"};
inline constexpr CommandId GoUp{"go.up"};

// Quick paths: the three recording modes, adding and clearing, and the seven slots.
inline constexpr CommandId QuickPathRecordAlways{"quickPath.recordAlways"};
inline constexpr CommandId QuickPathRecordWhenWatched{"quickPath.recordWhenWatched"};
inline constexpr CommandId QuickPathRecordNever{"quickPath.recordNever"};
inline constexpr CommandId QuickPathAdd{"quickPath.add"};
inline constexpr CommandId QuickPathClear{"quickPath.clear"};
inline constexpr std::array<CommandId, 7> QuickPathOpen{
    "quickPath.open0", "quickPath.open1", "quickPath.open2", "quickPath.open3",
    "quickPath.open4", "quickPath.open5", "quickPath.open6",
};

// Files of the list.
/// The menu item: asks with the key preview on, as any menu command does.
inline constexpr CommandId FileDelete{"file.delete"};
/// Delete in the list: asks with the key preview off, so keys pressed in the box stay there.
inline constexpr CommandId FileDeleteByKey{"file.deleteByKey"};
inline constexpr CommandId FileMove{"file.move"};
inline constexpr CommandId FileChangeExtension{"file.changeExtension"};
inline constexpr CommandId FileSelectAll{"file.selectAll"};
inline constexpr CommandId FileOpen{"file.open"};
inline constexpr CommandId FileProperties{"file.properties"};

// Folders of the tree.
inline constexpr CommandId FolderMake{"folder.make"};
inline constexpr CommandId FolderMove{"folder.move"};
inline constexpr CommandId FolderDelete{"folder.delete"};

// The desktop's tools and the trash.
inline constexpr CommandId ShellFileManager{"shell.fileManager"};
inline constexpr CommandId ShellSearch{"shell.search"};
inline constexpr CommandId TrashOpen{"trash.open"};
inline constexpr CommandId TrashEmpty{"trash.empty"};

// The window and its panes.
inline constexpr CommandId WindowQuit{"window.quit"};
inline constexpr CommandId ListRefresh{"list.refresh"};
inline constexpr CommandId ListGrid{"list.grid"};
inline constexpr CommandId ListIcons{"list.icons"};
inline constexpr CommandId ListFileView{"list.fileView"};
inline constexpr CommandId TreeLines{"tree.lines"};
inline constexpr CommandId TreeIcons{"tree.icons"};
inline constexpr CommandId TreeFocus{"tree.focus"};

// Archives.
inline constexpr CommandId ArchiveExtract{"archive.extract"};
inline constexpr CommandId ArchiveExtractChosen{"archive.extractChosen"};

} // namespace cmd

/// Every id above, for the tests that walk them all.
const std::vector<CommandId>& AllCommandIds();

} // namespace tobimaru

template <> struct std::hash<tobimaru::CommandId> {
    std::size_t operator()(tobimaru::CommandId id) const noexcept {
        return std::hash<std::string_view>{}(id.text());
    }
};
