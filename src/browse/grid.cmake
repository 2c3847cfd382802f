list(APPEND TOBIMARU_GUI_SOURCES
  browse/ListGrid.cpp
)
