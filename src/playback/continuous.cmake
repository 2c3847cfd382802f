list(APPEND TOBIMARU_CORE_SOURCES
  playback/ContinuousRules.cpp
  playback/SlideShow.cpp
)
list(APPEND TOBIMARU_GUI_SOURCES
  playback/PlayMarks.cpp
  playback/ContinuousPlay.cpp
  playback/SpeedControl.cpp
  playback/DisplayOptions.cpp
  playback/PlaybackCommands.cpp
)
