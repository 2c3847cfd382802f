list(APPEND TOBIMARU_GUI_SOURCES
  playback/MpvHandle.cpp
  playback/MpvVideoView.cpp
  playback/PlayerControlBar.cpp
  playback/MediaPlayer.cpp
  playback/MediaPlayerEvents.cpp
  playback/clsMovie.cpp
)
