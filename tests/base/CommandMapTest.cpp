// The map from menu items, toolbar buttons and keys to command ids, and the table that runs ids.
#include "base/CommandMap.h"
#include "base/CommandTable.h"
#include "base/ErrorTable.h"
#include "support/CommandRun.h"
#include "support/FakePrompts.h"

#include <gtest/gtest.h>
#include <set>
#include <stdexcept>
#include <string>

using namespace tobimaru;
using tobimaru::test::FakePrompts;

namespace {

struct Source {
    enum Kind { Menu, Button, Key } kind;
    const char* name; ///< item name or button key, UTF-8
    KeyCommand key = KeyCommand::None;
};

Source MenuItem(const char* name) {
    return {Source::Menu, name};
}
Source Button(const char* key) {
    return {Source::Button, key};
}
Source KeyOf(KeyCommand key) {
    return {Source::Key, "", key};
}

std::optional<CommandId> CommandOf(const Source& s) {
    switch (s.kind) {
    case Source::Menu:
        return CommandForMenuItem(QString::fromUtf8(s.name));
    case Source::Button:
        return CommandForButton(QString::fromUtf8(s.name));
    case Source::Key:
        return CommandForKey(s.key);
    }
    return std::nullopt;
}

std::string Describe(const Source& s) {
    return s.kind == Source::Key ? "key " + std::to_string(int(s.key)) : std::string(s.name);
}

// Every id any source reaches.
std::set<CommandId> ReachedIds() {
    std::set<CommandId> out;
    for (const QString& name : MappedMenuItems())
        out.insert(*CommandForMenuItem(name));
    for (const QString& key : MappedButtons())
        out.insert(*CommandForButton(key));
    for (const KeyCommand key : AllKeyCommands()) {
        if (const auto id = CommandForKey(key))
            out.insert(*id);
    }
    return out;
}

} // namespace

TEST(CommandMap, EverySourceMapsToAKnownIdAndEveryIdHasASource) {
    const std::vector<CommandId>& all = AllCommandIds();
    const std::set<CommandId> known(all.begin(), all.end());
    for (const QString& name : MappedMenuItems()) {
        const auto id = CommandForMenuItem(name);
        ASSERT_TRUE(id) << name.toStdString();
        EXPECT_TRUE(known.count(*id)) << name.toStdString() << " -> " << id->text();
    }
    for (const QString& key : MappedButtons()) {
        const auto id = CommandForButton(key);
        ASSERT_TRUE(id) << key.toStdString();
        EXPECT_TRUE(known.count(*id)) << key.toStdString() << " -> " << id->text();
    }
    for (const KeyCommand key : AllKeyCommands()) {
        const auto id = CommandForKey(key);
        const bool none = key == KeyCommand::None || key == KeyCommand::Discard;
        EXPECT_EQ(id.has_value(), !none) << int(key);
        if (id) {
            EXPECT_TRUE(known.count(*id)) << int(key) << " -> " << id->text();
        }
    }
    EXPECT_EQ(ReachedIds(), known) << "an id nothing reaches, or one missing from AllCommandIds";
}

TEST(CommandMap, IdsAreUniqueDottedAscii) {
    std::set<std::string> seen;
    for (const CommandId id : AllCommandIds()) {
        const std::string text(id.text());
        EXPECT_TRUE(seen.insert(text).second) << text << " twice";
        const auto dot = text.find('.');
        ASSERT_NE(dot, std::string::npos) << text;
        EXPECT_GT(dot, 0u) << text;
        EXPECT_LT(dot + 1, text.size()) << text;
        for (const char c : text)
            EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '.')
                << text;
        EXPECT_EQ(id.toString(), QString::fromStdString(text));
    }
}

TEST(CommandMap, UnknownSourcesHaveNoCommand) {
    for (const char* name :
         {"", "Dspsize", "Dspsize(5)", "Opt(5)", "bar", "MnuPlayOpt", "dspsize(0)", "Opt(0)"})
        EXPECT_FALSE(CommandForMenuItem(QString::fromUtf8(name))) << name;
    for (const char* key : {"", "再生 ", "Play", "スライダー"})
        EXPECT_FALSE(CommandForButton(QString::fromUtf8(key))) << key;
}

// Sources that run one handler share its id; those whose handlers differ keep apart.
TEST(CommandMap, SourcesShareAnIdExactlyWhenTheyShareABehaviour) {
    const struct Group {
        CommandId id;
        std::vector<Source> sources;
    } groups[] = {
        {cmd::PlayOrPause, {MenuItem("MnuMoviePlay")}},
        {cmd::PlayOrPauseIfListed, {Button("再生"), KeyOf(KeyCommand::PlayOrPause)}},
        {cmd::Stop, {MenuItem("MnuMovieStop"), Button("停止"), KeyOf(KeyCommand::Stop)}},
        {cmd::Previous, {MenuItem("MnuPrevios"), Button("1つ戻る"), KeyOf(KeyCommand::PlayPrevious)}},
        {cmd::Next, {MenuItem("MunNext"), Button("1つ次へ"), KeyOf(KeyCommand::PlayNext)}},
        {cmd::RepeatClicked, {MenuItem("MnuLoop"), Button("リピート再生")}},
        {cmd::RepeatByKey, {KeyOf(KeyCommand::ToggleRepeat)}},
        {cmd::OrderForward, {Button("昇順")}},
        {cmd::OrderReverse, {Button("降順")}},
        {cmd::RateOne, {Button("RateOne")}},
        {cmd::DisplayFit, {MenuItem("Dspsize(0)"), KeyOf(KeyCommand::DisplayFit)}},
        {cmd::DisplayHalf, {MenuItem("Dspsize(1)")}},
        {cmd::DisplayActual, {MenuItem("Dspsize(2)")}},
        {cmd::DisplayDouble, {MenuItem("Dspsize(3)")}},
        {cmd::DisplayFullScreen, {MenuItem("Dspsize(4)"), KeyOf(KeyCommand::DisplayFull)}},
        {cmd::OptionMute, {MenuItem("Opt(1)")}},
        {cmd::OptionOnTop, {MenuItem("Opt(2)")}},
        {cmd::OptionSlideShow, {MenuItem("Opt(3)")}},
        {cmd::OptionQuickPathPlay, {MenuItem("Opt(4)")}},
        {cmd::OptionDialog, {MenuItem("Opt(6)")}},
        {cmd::GoDesktop, {MenuItem("GoDeskTop"), Button("デスクトップ")}},
        {cmd::GoDocuments, {MenuItem("GoMydoc"), Button("マイドキュメント")}},
        {cmd::GoNetwork, {MenuItem("GoNetWtok"), Button("ネットワーク")}},
        {cmd::GoChooseFolder, {MenuItem("GoFolder")}},
        {cmd::GoUp, {Button("1つ上に")}},
        {cmd::ListRefresh, {MenuItem("Listkousin"), Button("最新更新"), KeyOf(KeyCommand::Refresh)}},
        {cmd::QuickPathRecordAlways, {MenuItem("QuickPathSet(0)")}},
        {cmd::QuickPathRecordWhenWatched, {MenuItem("QuickPathSet(1)")}},
        {cmd::QuickPathRecordNever, {MenuItem("QuickPathSet(2)")}},
        {cmd::QuickPathAdd, {MenuItem("QuickPathAdd")}},
        {cmd::QuickPathClear, {MenuItem("QuickPathClear")}},
        {cmd::QuickPathOpen[0], {MenuItem("pass(0)")}},
        {cmd::QuickPathOpen[6], {MenuItem("pass(6)")}},
        {cmd::FileDelete, {MenuItem("DelFile")}},
        {cmd::FileDeleteByKey, {KeyOf(KeyCommand::DeleteFiles)}},
        {cmd::FileMove, {MenuItem("MoveFile"), KeyOf(KeyCommand::MoveFiles)}},
        {cmd::FileChangeExtension, {MenuItem("ReNameFile")}},
        {cmd::FileSelectAll, {KeyOf(KeyCommand::SelectAll)}},
        {cmd::FileOpen, {MenuItem("MunOpen")}},
        {cmd::FileProperties, {MenuItem("FilePopa")}},
        {cmd::FolderMake, {MenuItem("MnuMakeFolder"), KeyOf(KeyCommand::MakeFolder)}},
        {cmd::FolderMove, {MenuItem("MnuMovFolder"), KeyOf(KeyCommand::MoveFolder)}},
        {cmd::FolderDelete, {MenuItem("MnuDelFolder4"), KeyOf(KeyCommand::DeleteFolder)}},
        {cmd::ShellFileManager, {MenuItem("GoExp")}},
        {cmd::ShellSearch, {MenuItem("GoSearch")}},
        {cmd::TrashOpen, {MenuItem("OpenRecycle")}},
        {cmd::TrashEmpty, {MenuItem("ClsRecycle")}},
        {cmd::WindowQuit, {MenuItem("ExitTobimaru")}},
        {cmd::ListGrid, {MenuItem("MnuGrid")}},
        {cmd::ListIcons, {MenuItem("MnuIconSet")}},
        {cmd::ListFileView, {Button("ファイルビュー")}},
        {cmd::TreeLines, {MenuItem("TreeViewLine")}},
        {cmd::TreeIcons, {MenuItem("TreeViewIcon")}},
        {cmd::TreeFocus, {KeyOf(KeyCommand::FocusTree)}},
        {cmd::ArchiveExtract, {Button("解凍")}},
        {cmd::ArchiveExtractChosen, {Button("選択解凍")}},
    };
    for (const Group& g : groups) {
        for (const Source& s : g.sources) {
            const auto id = CommandOf(s);
            ASSERT_TRUE(id) << Describe(s);
            EXPECT_EQ(*id, g.id) << Describe(s) << " runs " << id->text() << ", not " << g.id.text();
        }
    }
}

TEST(CommandTable, RunsEachIdsOneHandlerAndTellsTheObserver) {
    FakePrompts prompts;
    CommandTable table(prompts);
    QStringList ran;
    table.add(cmd::Stop, [&] { ran << "stop"; });
    table.add(cmd::ListRefresh, [&] { throw Failure(ErrorCode::FileNotFound, "refresh"); });
    EXPECT_THROW(table.add(cmd::Stop, [] {}), std::logic_error);
    QStringList observed;
    table.setObserver([&](CommandId id) { observed << id.toString(); });

    const struct {
        CommandId id;
        bool registered;
        QStringList ran;
        int boxes;
    } rows[] = {
        {cmd::Stop, true, {"stop"}, 0},
        {cmd::Next, false, {}, 0},
        {cmd::ListRefresh, true, {}, 1}, // the failure ends in the error box
    };
    for (const auto& row : rows) {
        ran.clear();
        observed.clear();
        prompts.clear();
        EXPECT_EQ(table.has(row.id), row.registered) << row.id.text();
        EXPECT_EQ(table.execute(row.id), row.registered) << row.id.text();
        EXPECT_EQ(ran, row.ran) << row.id.text();
        EXPECT_EQ(observed, row.registered ? QStringList{row.id.toString()} : QStringList{}) << row.id.text();
        EXPECT_EQ(prompts.boxes.size(), row.boxes) << row.id.text();
    }
    EXPECT_EQ(table.ids().size(), 2u);
}

TEST(CommandTable, SourcesRunThroughTheMapFromTheTestHelpers) {
    FakePrompts prompts;
    CommandTable table(prompts);
    QStringList ran;
    table.add(cmd::ListRefresh, [&] { ran << "refresh"; });
    EXPECT_TRUE(test::ExecuteMenuItem(table, QStringLiteral("Listkousin")));
    EXPECT_TRUE(test::ExecuteButton(table, QStringLiteral("最新更新")));
    EXPECT_TRUE(test::ExecuteKey(table, KeyCommand::Refresh));
    EXPECT_FALSE(test::ExecuteKey(table, KeyCommand::Discard));
    EXPECT_FALSE(test::ExecuteMenuItem(table, QStringLiteral("GoMydoc"))) << "mapped, not registered";
    EXPECT_FALSE(test::ExecuteButton(table, QStringLiteral("nothing")));
    EXPECT_EQ(ran.size(), 3);
}
