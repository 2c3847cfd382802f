list(APPEND TOBIMARU_CORE_SOURCES
  sysinfo/OsVersion.cpp
  sysinfo/IconSet.cpp
)
