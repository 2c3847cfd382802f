list(APPEND TOBIMARU_CORE_SOURCES
  fileops/BrowseFolder.cpp
)
