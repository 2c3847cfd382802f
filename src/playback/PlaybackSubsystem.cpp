#include "playback/PlaybackSubsystem.h"

#include "base/ErrorTable.h"
#include "playback/ContinuousPlay.h"
#include "playback/DisplayOptions.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackCommands.h"
#include "playback/PlaybackState.h"
#include "playback/SlideShow.h"
#include "playback/clsMovie.h"

namespace tobimaru {

PlaybackSubsystem::PlaybackSubsystem(const PlaybackWiring& w) {
    if (!w.ListView1 || !w.model || !w.player || !w.window || !w.caption || !w.timer1 || !w.speedSlider ||
        !w.icons || !w.prompts || !w.opener || !w.settings)
        throw Failure(ErrorCode::ObjectNotSet, "PlaybackSubsystem");
    m_player = w.player;
    m_state = std::make_unique<PlaybackState>();
    m_slideShow = std::make_unique<SlideShow>(*w.timer1, *w.settings, *m_state);
    m_movie =
        std::make_unique<clsMovie>(*w.player, *w.prompts, *w.opener, [this] { m_slideShow->Disable(); });

    PlaybackParts common;
    common.ListView1 = w.ListView1;
    common.model = w.model;
    common.movie = m_movie.get();
    common.player = w.player;
    common.state = m_state.get();
    common.window = w.window;
    common.caption = w.caption;
    common.settings = w.settings;
    common.slideShow = m_slideShow.get();

    ContinuousPlayParts parts;
    static_cast<PlaybackParts&>(parts) = common;
    parts.icons = w.icons;
    parts.folderMarker = w.folderMarker;
    parts.quickPaths = w.quickPaths;
    parts.prompts = w.prompts;
    m_play = std::make_unique<ContinuousPlay>(parts);

    m_speed = std::make_unique<SpeedControl>(w.speedSlider, *w.player, *m_state, *m_slideShow, w.volume);

    DisplayOptionsParts display;
    static_cast<PlaybackParts&>(display) = common;
    display.setFullScreen = w.setFullScreen;
    display.showOptionsDialog = w.showOptionsDialog;
    m_optionsDialog = bool(w.showOptionsDialog);
    m_display = std::make_unique<DisplayOptions>(display);

    m_commands = std::make_unique<PlaybackCommands>(*m_play, *m_speed, *m_display, *m_slideShow);
}

PlaybackSubsystem::~PlaybackSubsystem() {
    // The player may still report the file it had: nothing of ours may hear it any more.
    QObject::disconnect(m_player, nullptr, m_play.get(), nullptr);
}

void PlaybackSubsystem::registerCommands(CommandTable& table) {
    m_commands->registerCommands(table, m_optionsDialog);
}

} // namespace tobimaru
