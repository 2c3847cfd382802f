tobimaru_add_test(test_browse_tree GUI SOURCES browse/TreeRig.cpp browse/FolderTreeTest.cpp
  browse/TreeInputTest.cpp browse/NavigationTest.cpp)
