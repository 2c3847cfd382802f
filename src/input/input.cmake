list(APPEND TOBIMARU_GUI_SOURCES
  input/PaneLayout.cpp
)
