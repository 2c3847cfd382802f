tobimaru_add_test(test_input SOURCES input/KeyBindingsTest.cpp)
