list(APPEND TOBIMARU_CORE_SOURCES
  browse/Drives.cpp
  browse/SystemFolders.cpp
)
