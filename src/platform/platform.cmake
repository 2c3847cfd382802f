list(APPEND TOBIMARU_GUI_SOURCES
  platform/ScreenSaver.cpp
  platform/SingleInstance.cpp
  platform/TerminationWatcher.cpp
)
