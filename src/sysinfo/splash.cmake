list(APPEND TOBIMARU_GUI_SOURCES
  sysinfo/frmSplash.cpp
)
