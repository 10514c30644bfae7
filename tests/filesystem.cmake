# File-system operations and the tree copy, on real files on the test drive.
quellrin_unit_test(filesystem_tests SOURCES unit/FileSystemTests.cpp)
quellrin_unit_test(treecopy_tests SOURCES unit/TreeCopyTests.cpp)
