#include "base/CommandIds.h"

namespace tobimaru {

const std::vector<CommandId>& AllCommandIds() {
    using namespace cmd;
    static const std::vector<CommandId> all = [] {
        std::vector<CommandId> ids{
            PlayOrPause,
            PlayOrPauseIfListed,
            Stop,
            Previous,
            Next,
            RepeatClicked,
            RepeatByKey,
            OrderForward,
            OrderReverse,
            RateOne,
            DisplayFit,
            DisplayHalf,
            DisplayActual,
            DisplayDouble,
            DisplayFullScreen,
            OptionMute,
            OptionOnTop,
            OptionSlideShow,
            OptionQuickPathPlay,
            OptionDialog,
            GoDesktop,
            GoDocuments,
            GoNetwork,
            GoChooseFolder,
            GoUp,
            QuickPathRecordAlways,
            QuickPathRecordWhenWatched,
            QuickPathRecordNever,
            QuickPathAdd,
            QuickPathClear,
            FileDelete,
            FileDeleteByKey,
            FileMove,
            FileChangeExtension,
            FileSelectAll,
            FileOpen,
            FileProperties,
            FolderMake,
            FolderMove,
            FolderDelete,
            ShellFileManager,
            ShellSearch,
            TrashOpen,
            TrashEmpty,
            WindowQuit,
            ListRefresh,
            ListGrid,
            ListIcons,
            ListFileView,
            TreeLines,
            TreeIcons,
            TreeFocus,
            ArchiveExtract,
            ArchiveExtractChosen,
        };
        ids.insert(ids.end(), QuickPathOpen.begin(), QuickPathOpen.end());
        return ids;
    }();
    return all;
}

} // namespace tobimaru
