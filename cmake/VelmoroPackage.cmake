# SPDX-License-Identifier: MIT
# The documents every install carries, and the Debian package CPack makes from
# the same install: `cpack -G DEB` in a build folder gives
# velmoro_<version>_amd64.deb. scripts/package-check builds and checks it.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmoro)

set(CPACK_PACKAGE_NAME velmoro)
set(CPACK_PACKAGE_VENDOR "the Velmoro developers")
set(CPACK_PACKAGE_CONTACT "the Velmoro developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmoro is a C++ library for device-independent bitmaps: BMP, PNG and JPEG in and out,\n\
depth conversion, colour-key compositing, blending, crops, joins, flips, filters,\n\
collection files of tagged images and regions from a key colour. The package holds\n\
the library, its headers, CMake package and pkg-config file, the JPEG codec module,\n\
the velmoro program and the API reference.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # velmoro_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies are what dpkg-shlibdeps finds the binaries linked against; the
# shlibs file lets packages built against this one depend on it in turn.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The library is built with the package's own shared libraries beside it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)

include(CPack)
