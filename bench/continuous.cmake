if(TARGET tobimaru_gui)
  add_executable(bench_continuous ${CMAKE_CURRENT_LIST_DIR}/ContinuousBench.cpp)
  target_link_libraries(bench_continuous PRIVATE benchmark::benchmark tobimaru_bench_support tobimaru_gui)
endif()
