list(APPEND TOBIMARU_CORE_SOURCES
  browse/DirectoryRead.cpp
  browse/FolderListing.cpp
  browse/ListFormat.cpp
)
list(APPEND TOBIMARU_GUI_SOURCES
  browse/FileIcons.cpp
  browse/FileListModel.cpp
  browse/FileListView.cpp
)
