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

    ContinuousPlayParts parts;
    parts.ListView1 = w.ListView1;
    parts.model = w.model;
    parts.movie = m_movie.get();
    parts.player = w.player;
    parts.state = m_state.get();
    parts.window = w.window;
    parts.caption = w.caption;
    parts.icons = w.icons;
    parts.folderMarker = w.folderMarker;
    parts.quickPaths = w.quickPaths;
    parts.prompts = w.prompts;
    parts.settings = w.settings;
    parts.slideShow = m_slideShow.get();
    m_play = std::make_unique<ContinuousPlay>(parts);

    m_speed = std::make_unique<SpeedControl>(w.speedSlider, *w.player, *m_state, *m_slideShow, w.volume);

    DisplayOptionsParts display;
    display.state = m_state.get();
    display.movie = m_movie.get();
    display.player = w.player;
    display.slideShow = m_slideShow.get();
    display.settings = w.settings;
    display.ListView1 = w.ListView1;
    display.model = w.model;
    display.window = w.window;
    display.caption = w.caption;
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
