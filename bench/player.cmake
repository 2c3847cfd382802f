if(TARGET tobimaru_gui)
  add_executable(bench_player ${CMAKE_CURRENT_LIST_DIR}/PlayerBench.cpp)
  target_link_libraries(bench_player PRIVATE benchmark::benchmark tobimaru_bench_support tobimaru_gui)
endif()
