# The conversion's parts: automation by name and the folder size.
quellrin_unit_test(foldersize_tests SOURCES
  unit/AutomationEnvironment.cpp unit/AutomationTests.cpp unit/FolderSizeTests.cpp)
