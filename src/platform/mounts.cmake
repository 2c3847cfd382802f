list(APPEND TOBIMARU_CORE_SOURCES
  platform/MountTable.cpp
)
