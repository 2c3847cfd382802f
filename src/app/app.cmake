list(APPEND TOBIMARU_CORE_SOURCES
  app/ErrorTable.cpp
  app/ErrorBox.cpp
)
list(APPEND TOBIMARU_GUI_SOURCES
  app/Form1.cpp
  app/Form1Browsing.cpp
  app/Form1Commands.cpp
  app/Form1Load.cpp
  app/Form1Playback.cpp
  app/Form1Settings.cpp
  app/IconLibrary.cpp
  app/Menus.cpp
  app/MessageBoxPrompts.cpp
  app/StatusPanels.cpp
  app/Startup.cpp
  app/SubMain.cpp
  app/Toolbar.cpp
  app/Twips.cpp
)
