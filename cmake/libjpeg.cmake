# libjpeg-turbo from Debian's source package, built for the target as a static
# library: the decoder of the tip picture. tools/setup.sh fetches the package;
# the build itself never goes to the network.
include(ExternalProject)

set(QUELLRIN_JPEG_SRCPKG_DIR ${CMAKE_SOURCE_DIR}/build/srcpkg CACHE PATH
  "Folder that holds Debian's libjpeg-turbo source package")
file(GLOB _jpeg_tarballs ${QUELLRIN_JPEG_SRCPKG_DIR}/libjpeg-turbo_*.orig.tar.gz)
if(NOT _jpeg_tarballs)
  message(FATAL_ERROR "No libjpeg-turbo_*.orig.tar.gz in ${QUELLRIN_JPEG_SRCPKG_DIR}: "
    "run tools/setup.sh")
endif()
list(SORT _jpeg_tarballs COMPARE NATURAL ORDER DESCENDING)
list(GET _jpeg_tarballs 0 _jpeg_tarball)
# Debian 12's release is checked against its known hash; a later one that
# apt-get source brings is taken as it is.
set(_jpeg_hash "")
if(_jpeg_tarball MATCHES "libjpeg-turbo_2\\.1\\.5\\.orig")
  set(_jpeg_hash URL_HASH
    SHA256=254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c)
endif()

set(_jpeg_src ${CMAKE_BINARY_DIR}/libjpeg/source)
set(_jpeg_bin ${CMAKE_BINARY_DIR}/libjpeg/build)
ExternalProject_Add(libjpeg_ep
  URL ${_jpeg_tarball} ${_jpeg_hash}
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  PREFIX ${CMAKE_BINARY_DIR}/libjpeg
  SOURCE_DIR ${_jpeg_src}
  BINARY_DIR ${_jpeg_bin}
  # Without an install prefix its configure for Windows picks c:/libjpeg-turbo-gcc
  # and fails on it, although nothing is installed.
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR> -Wno-dev
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${_jpeg_bin}/libjpeg.a)

# jpeglib.h is in the source tree, the generated jconfig.h in the build tree;
# both must exist when CMake checks the imported target's include folders.
file(MAKE_DIRECTORY ${_jpeg_src} ${_jpeg_bin})
add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION ${_jpeg_bin}/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES "${_jpeg_src};${_jpeg_bin}")
add_dependencies(JPEG::JPEG libjpeg_ep)
