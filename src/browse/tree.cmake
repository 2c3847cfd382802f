list(APPEND TOBIMARU_CORE_SOURCES
  browse/SubfolderScan.cpp
)
list(APPEND TOBIMARU_GUI_SOURCES
  browse/AddressBox.cpp
  browse/FolderTree.cpp
  browse/FolderTreeInput.cpp
  browse/Navigation.cpp
)
