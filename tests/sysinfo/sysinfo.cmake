tobimaru_add_test(test_sysinfo SOURCES sysinfo/OsVersionTest.cpp)
