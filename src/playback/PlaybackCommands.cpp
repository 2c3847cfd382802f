#include "playback/PlaybackCommands.h"

#include "base/CommandTable.h"
#include "browse/FileListModel.h"
#include "browse/FolderListing.h"
#include "playback/ContinuousPlay.h"
#include "playback/DisplayOptions.h"
#include "playback/SlideShow.h"
#include "playback/SpeedControl.h"

#include <QModelIndex>

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

void PlaybackCommands::Register(CommandTable& table, bool optionsDialog) {
    table.add(QStringLiteral("再生"), [this] { playIfListed(); });
    table.add(QStringLiteral("停止"), [this] { StopCommand(); });
    table.add(QStringLiteral("1つ戻る"), [this] { PreviousCommand(); });
    table.add(QStringLiteral("1つ次へ"), [this] { NextCommand(); });
    // The check button has flipped itself.
    table.add(QStringLiteral("リピート再生"), [this] { m_play.ToggleRepeat(RepeatFrom::Click); });
    for (const bool reverse : {false, true}) {
        table.add(reverse ? QStringLiteral("降順") : QStringLiteral("昇順"), [this, reverse] {
            m_play.setReverseOrder(reverse);
            m_slideShow.Enable();
        });
    }
    table.add(QStringLiteral("RateOne"), [this] { m_speed.RateOne(); });

    table.add(QStringLiteral("MnuMoviePlay"), [this] { PlayPauseCommand(); });
    table.add(QStringLiteral("MnuMovieStop"), [this] { StopCommand(); });
    table.add(QStringLiteral("MnuPrevios"), [this] { PreviousCommand(); });
    table.add(QStringLiteral("MunNext"), [this] { NextCommand(); });
    table.add(QStringLiteral("MnuLoop"), [this] { m_play.ToggleRepeat(RepeatFrom::Click); });
    for (int i = 0; i <= 4; ++i)
        table.add(QStringLiteral("Dspsize(%1)").arg(i),
                  [this, i] { m_display.DspsizeClick(SizeMenuIndex{i}); });
    // Opt(4) holds its check and nothing else; Opt(5) is the separator.
    for (int i = 1; i <= 4; ++i)
        table.add(QStringLiteral("Opt(%1)").arg(i), [this, i] { m_display.OptClick(OptionItem{i}); });
    if (optionsDialog)
        table.add(QStringLiteral("Opt(6)"), [this] { m_display.OptClick(OptionItem::Dialog); });

    table.add(KeyCommand::PlayOrPause, [this] { playIfListed(); });
    table.add(KeyCommand::Stop, [this] { StopCommand(); });
    table.add(KeyCommand::ToggleRepeat, [this] { m_play.ToggleRepeat(RepeatFrom::Key); });
    table.add(KeyCommand::DisplayFit, [this] { m_display.DspsizeClick(SizeMenuIndex::Fit); });
    table.add(KeyCommand::DisplayFull, [this] { m_display.DspsizeClick(SizeMenuIndex::FullScreen); });
    table.add(KeyCommand::PlayPrevious, [this] { PreviousCommand(); });
    table.add(KeyCommand::PlayNext, [this] { NextCommand(); });
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
