list(APPEND TOBIMARU_CORE_SOURCES
  input/KeyBindings.cpp
)
list(APPEND TOBIMARU_GUI_SOURCES
  input/KeyPreview.cpp
  input/PaneLayout.cpp
)
