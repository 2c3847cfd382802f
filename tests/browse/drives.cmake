tobimaru_add_test(test_browse_drives SOURCES browse/DrivesTest.cpp browse/MountTableTest.cpp
  browse/SystemFoldersTest.cpp)
