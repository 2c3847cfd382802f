tobimaru_add_test(test_quickpaths GUI SOURCES browse/QuickPathsTest.cpp)
