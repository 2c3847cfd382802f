tobimaru_add_test(test_app SOURCES app/ErrorBoxTest.cpp)
