list(APPEND TOBIMARU_CORE_SOURCES
  browse/PathQueries.cpp
)
