list(APPEND TOBIMARU_GUI_SOURCES
  browse/QuickPaths.cpp
)
