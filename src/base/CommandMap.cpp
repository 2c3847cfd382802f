#include "base/CommandMap.h"

#include <iterator>

namespace tobimaru {

namespace {

struct SourceRow {
    const char* source; ///< UTF-8
    CommandId id;
};

// The menus, in menu order. The old names keep their typos ("MnuPrevios", "MunNext"): they are
// the items' object names, which settings and tests know them by.
const SourceRow kMenuItems[] = {
    {"pass(0)", cmd::QuickPathOpen[0]},
    {"pass(1)", cmd::QuickPathOpen[1]},
    {"pass(2)", cmd::QuickPathOpen[2]},
    {"pass(3)", cmd::QuickPathOpen[3]},
    {"pass(4)", cmd::QuickPathOpen[4]},
    {"pass(5)", cmd::QuickPathOpen[5]},
    {"pass(6)", cmd::QuickPathOpen[6]},
    {"QuickPathSet(0)", cmd::QuickPathRecordAlways},
    {"QuickPathSet(1)", cmd::QuickPathRecordWhenWatched},
    {"QuickPathSet(2)", cmd::QuickPathRecordNever},
    {"QuickPathAdd", cmd::QuickPathAdd},
    {"QuickPathClear", cmd::QuickPathClear},
    {"GoMydoc", cmd::GoDocuments},
    {"GoDeskTop", cmd::GoDesktop},
    {"GoNetWtok", cmd::GoNetwork},
    {"GoFolder", cmd::GoChooseFolder},
    {"GoExp", cmd::ShellFileManager},
    {"GoSearch", cmd::ShellSearch},
    {"MnuMakeFolder", cmd::FolderMake},
    {"MnuMovFolder", cmd::FolderMove},
    {"MnuDelFolder4", cmd::FolderDelete},
    {"TreeViewLine", cmd::TreeLines},
    {"TreeViewIcon", cmd::TreeIcons},
    {"Dspsize(0)", cmd::DisplayFit},
    {"Dspsize(1)", cmd::DisplayHalf},
    {"Dspsize(2)", cmd::DisplayActual},
    {"Dspsize(3)", cmd::DisplayDouble},
    {"Dspsize(4)", cmd::DisplayFullScreen},
    {"Opt(1)", cmd::OptionMute},
    {"Opt(2)", cmd::OptionOnTop},
    {"Opt(3)", cmd::OptionSlideShow},
    {"Opt(4)", cmd::OptionQuickPathPlay},
    {"Opt(6)", cmd::OptionDialog},
    {"MnuMoviePlay", cmd::PlayOrPause},
    {"MnuMovieStop", cmd::Stop},
    {"MnuPrevios", cmd::Previous},
    {"MunNext", cmd::Next},
    {"MnuLoop", cmd::RepeatClicked},
    {"MunOpen", cmd::FileOpen},
    {"MnuGrid", cmd::ListGrid},
    {"MnuIconSet", cmd::ListIcons},
    {"ReNameFile", cmd::FileChangeExtension},
    {"MoveFile", cmd::FileMove},
    {"DelFile", cmd::FileDelete},
    {"OpenRecycle", cmd::TrashOpen},
    {"ClsRecycle", cmd::TrashEmpty},
    {"Listkousin", cmd::ListRefresh},
    {"FilePopa", cmd::FileProperties},
    {"ExitTobimaru", cmd::WindowQuit},
};

// The toolbar, left to right.
const SourceRow kButtons[] = {
    {"デスクトップ", cmd::GoDesktop},     {"マイドキュメント", cmd::GoDocuments},
    {"ネットワーク", cmd::GoNetwork},     {"1つ上に", cmd::GoUp},
    {"最新更新", cmd::ListRefresh},       {"ファイルビュー", cmd::ListFileView},
    {"解凍", cmd::ArchiveExtract},        {"選択解凍", cmd::ArchiveExtractChosen},
    {"再生", cmd::PlayOrPauseIfListed},   {"停止", cmd::Stop},
    {"1つ戻る", cmd::Previous},           {"1つ次へ", cmd::Next},
    {"リピート再生", cmd::RepeatClicked}, {"昇順", cmd::OrderForward},
    {"降順", cmd::OrderReverse},          {"RateOne", cmd::RateOne},
};

std::optional<CommandId> Find(const SourceRow* begin, const SourceRow* end, const QString& source) {
    const QByteArray utf8 = source.toUtf8();
    for (const SourceRow* row = begin; row != end; ++row) {
        if (utf8 == row->source)
            return row->id;
    }
    return std::nullopt;
}

QStringList Sources(const SourceRow* begin, const SourceRow* end) {
    QStringList out;
    for (const SourceRow* row = begin; row != end; ++row)
        out << QString::fromUtf8(row->source);
    return out;
}

} // namespace

std::optional<CommandId> CommandForMenuItem(const QString& name) {
    return Find(std::begin(kMenuItems), std::end(kMenuItems), name);
}

std::optional<CommandId> CommandForButton(const QString& key) {
    return Find(std::begin(kButtons), std::end(kButtons), key);
}

std::optional<CommandId> CommandForKey(KeyCommand key) {
    switch (key) {
    case KeyCommand::None:
    case KeyCommand::Discard:
        return std::nullopt;
    case KeyCommand::Refresh:
        return cmd::ListRefresh;
    case KeyCommand::PlayOrPause:
        return cmd::PlayOrPauseIfListed;
    case KeyCommand::Stop:
        return cmd::Stop;
    case KeyCommand::ToggleRepeat:
        return cmd::RepeatByKey;
    case KeyCommand::DisplayFit:
        return cmd::DisplayFit;
    case KeyCommand::DisplayFull:
        return cmd::DisplayFullScreen;
    case KeyCommand::PlayPrevious:
        return cmd::Previous;
    case KeyCommand::PlayNext:
        return cmd::Next;
    case KeyCommand::MoveFiles:
        return cmd::FileMove;
    case KeyCommand::SelectAll:
        return cmd::FileSelectAll;
    case KeyCommand::DeleteFiles:
        return cmd::FileDeleteByKey;
    case KeyCommand::FocusTree:
        return cmd::TreeFocus;
    case KeyCommand::DeleteFolder:
        return cmd::FolderDelete;
    case KeyCommand::MoveFolder:
        return cmd::FolderMove;
    case KeyCommand::MakeFolder:
        return cmd::FolderMake;
    }
    return std::nullopt;
}

QStringList MappedMenuItems() {
    return Sources(std::begin(kMenuItems), std::end(kMenuItems));
}

QStringList MappedButtons() {
    return Sources(std::begin(kButtons), std::end(kButtons));
}

std::vector<KeyCommand> AllKeyCommands() {
    std::vector<KeyCommand> out;
    for (int k = int(KeyCommand::None); k <= int(kLastKeyCommand); ++k)
        out.push_back(KeyCommand(k));
    return out;
}

} // namespace tobimaru
