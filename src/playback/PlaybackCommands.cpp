#include "playback/PlaybackCommands.h"

#include "base/CommandTable.h"
#include "browse/FileListModel.h"
#include "browse/FolderListing.h"
#include "playback/ContinuousPlay.h"
#include "playback/DisplayOptions.h"
#include "playback/SlideShow.h"
#include "playback/SpeedControl.h"

#include <QModelIndex>
#include <utility>

namespace tobimaru {

PlaybackCommands::PlaybackCommands(ContinuousPlay& play, SpeedControl& speed, DisplayOptions& display,
                                   SlideShow& slideShow)
    : m_play(play)
    , m_speed(speed)
    , m_display(display)
    , m_slideShow(slideShow) {}

void PlaybackCommands::PlayPauseCommand() {
    m_play.PlayOrPause(PlayStep::Selected);
}

void PlaybackCommands::StopCommand() {
    m_play.StopPlay();
}

void PlaybackCommands::PreviousCommand() {
    m_play.SetPlaybotton(PlayStep::Up);
}

void PlaybackCommands::NextCommand() {
    m_play.SetPlaybotton(PlayStep::Down);
}

void PlaybackCommands::playIfListed() {
    if (m_play.hasRows())
        m_play.PlayOrPause(PlayStep::Selected);
}

void PlaybackCommands::OnAnyToolbarClick() {
    m_slideShow.Disable();
}

void PlaybackCommands::registerCommands(CommandTable& table, bool optionsDialog) {
    table.add(cmd::PlayOrPause, [this] { PlayPauseCommand(); });
    table.add(cmd::PlayOrPauseIfListed, [this] { playIfListed(); });
    table.add(cmd::Stop, [this] { StopCommand(); });
    table.add(cmd::Previous, [this] { PreviousCommand(); });
    table.add(cmd::Next, [this] { NextCommand(); });
    // The check button or item has flipped itself; F9 has not.
    table.add(cmd::RepeatClicked, [this] { m_play.ToggleRepeat(RepeatFrom::Click); });
    table.add(cmd::RepeatByKey, [this] { m_play.ToggleRepeat(RepeatFrom::Key); });
    for (const bool reverse : {false, true}) {
        table.add(reverse ? cmd::OrderReverse : cmd::OrderForward, [this, reverse] {
            m_play.setReverseOrder(reverse);
            m_slideShow.Enable();
        });
    }
    table.add(cmd::RateOne, [this] { m_speed.RateOne(); });

    const std::pair<CommandId, SizeMenuIndex> sizes[] = {
        {cmd::DisplayFit, SizeMenuIndex::Fit},
        {cmd::DisplayHalf, SizeMenuIndex::Half},
        {cmd::DisplayActual, SizeMenuIndex::Actual},
        {cmd::DisplayDouble, SizeMenuIndex::Double},
        {cmd::DisplayFullScreen, SizeMenuIndex::FullScreen},
    };
    for (const auto& [id, size] : sizes)
        table.add(id, [this, size = size] { m_display.DspsizeClick(size); });
    // The quick-path play item holds its check and nothing else.
    const std::pair<CommandId, OptionItem> options[] = {
        {cmd::OptionMute, OptionItem::Mute},
        {cmd::OptionOnTop, OptionItem::AlwaysOnTop},
        {cmd::OptionSlideShow, OptionItem::SlideShow},
        {cmd::OptionQuickPathPlay, OptionItem::Nothing},
    };
    for (const auto& [id, item] : options)
        table.add(id, [this, item = item] { m_display.OptClick(item); });
    if (optionsDialog)
        table.add(cmd::OptionDialog, [this] { m_display.OptClick(OptionItem::Dialog); });
}

bool PlaybackCommands::OnListDoubleClick(const QModelIndex& index) {
    if (!index.isValid())
        return false;
    const auto* model = qobject_cast<const FileListModel*>(index.model());
    if (!model || model->row(index.row()).extension == FolderRowExtension())
        return false;
    m_play.SetPlaybotton(PlayStep::Selected);
    return true;
}

} // namespace tobimaru
