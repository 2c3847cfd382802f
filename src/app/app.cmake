list(APPEND TOBIMARU_CORE_SOURCES
  app/ErrorTable.cpp
  app/ErrorBox.cpp
)
list(APPEND TOBIMARU_GUI_SOURCES
  app/MessageBoxPrompts.cpp
  app/SubMain.cpp
)
