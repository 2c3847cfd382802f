tobimaru_add_test(test_browse_listing GUI SOURCES browse/ListFormatTest.cpp browse/FolderListingTest.cpp
  browse/FileListModelTest.cpp)
