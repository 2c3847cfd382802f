if(TARGET tobimaru_gui)
  add_executable(bench_tree ${CMAKE_CURRENT_LIST_DIR}/TreeBench.cpp)
  target_link_libraries(bench_tree PRIVATE benchmark::benchmark tobimaru_bench_support tobimaru_gui)
endif()
