# SPDX-License-Identifier: MIT
# Installs the library, its headers, the CMake package and velmoro.pc.
include(CMakePackageConfigHelpers)

set(VELMORO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Velmoro)

install(TARGETS velmoro EXPORT VelmoroTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# velmoro/internal/ serves the project's own tests and fuzz targets only: not installed.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/velmoro DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        PATTERN internal EXCLUDE)
install(FILES ${PROJECT_BINARY_DIR}/include/velmoro/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmoro)
install(EXPORT VelmoroTargets NAMESPACE Velmoro:: DESTINATION ${VELMORO_CMAKE_DIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VelmoroConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VelmoroConfig.cmake INSTALL_DESTINATION ${VELMORO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VelmoroConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VelmoroConfig.cmake ${PROJECT_BINARY_DIR}/VelmoroConfigVersion.cmake
        ${VELMORO_PACKAGE_EXTRA_FILES}
        DESTINATION ${VELMORO_CMAKE_DIR})

# Relative to the .pc file, so the installed tree may be moved.
file(RELATIVE_PATH VELMORO_PC_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(${PROJECT_SOURCE_DIR}/cmake/velmoro.pc.in ${PROJECT_BINARY_DIR}/velmoro.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/velmoro.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
