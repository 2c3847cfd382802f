list(APPEND TOBIMARU_GUI_SOURCES
  platform/WaveVolume.cpp
)
