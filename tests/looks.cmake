# The program's looks: the tip picture's decoder and drawing, and the
# resources of the built program.

quellrin_unit_test(picture_tests SERIAL SOURCES unit/PictureTests.cpp resources/picture.rc)
set_source_files_properties(resources/picture.rc PROPERTIES OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/assets/tip.jpg)

# Read back with the MinGW binutils on the build machine: no Wine needed.
add_test(NAME resources.Quellrin_exe
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/resources/check-exe.sh $<TARGET_FILE:Quellrin>
          ${CMAKE_OBJDUMP} ${CMAKE_RC_COMPILER} ${CMAKE_SOURCE_DIR}/assets/tip.jpg)
