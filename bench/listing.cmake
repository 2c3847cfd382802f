if(TARGET tobimaru_gui)
  add_executable(bench_listing ${CMAKE_CURRENT_LIST_DIR}/ListingBench.cpp)
  target_link_libraries(bench_listing PRIVATE benchmark::benchmark tobimaru_bench_support tobimaru_gui)
endif()
