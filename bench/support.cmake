if(TARGET tobimaru_gui)
  add_library(tobimaru_bench_support STATIC ${CMAKE_CURRENT_LIST_DIR}/BenchSupport.cpp)
  target_link_libraries(tobimaru_bench_support PUBLIC tobimaru_core Qt6::Core)
endif()
