# SPDX-License-Identifier: MIT
# The API reference: `cmake --build <dir> --target docs` runs Doxygen over the
# public headers into <dir>/docs/html. An undocumented public name, or any other
# Doxygen warning, fails the target. With VELMORO_BUILD_DOCS the reference is
# part of every build and is installed under share/doc/velmoro/html; without it
# the target is there whenever Doxygen is, and installs what it last built.
option(VELMORO_BUILD_DOCS "Build and install the API reference (needs Doxygen)" OFF)

if(VELMORO_BUILD_DOCS)
  find_package(Doxygen REQUIRED)
else()
  find_package(Doxygen QUIET)
endif()

# Debian and most systems name the folder after the package, in lower case.
set(VELMORO_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmoro)

if(DOXYGEN_FOUND)
  set(VELMORO_DOCS_OUTPUT ${PROJECT_BINARY_DIR}/docs)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${VELMORO_DOCS_OUTPUT}/Doxyfile @ONLY)
  file(GLOB_RECURSE VELMORO_DOCS_INPUTS CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/include/velmoro/*.h
       ${PROJECT_SOURCE_DIR}/docs/*.md
       ${PROJECT_SOURCE_DIR}/docs/*.dox
       ${PROJECT_SOURCE_DIR}/examples/*.cpp)
  # velmoro/version.h is made from the project's version, in the build folder.
  list(APPEND VELMORO_DOCS_INPUTS ${PROJECT_BINARY_DIR}/include/velmoro/version.h)
  set(VELMORO_DOCS_STAMP ${VELMORO_DOCS_OUTPUT}/html/index.html)
  add_custom_command(OUTPUT ${VELMORO_DOCS_STAMP}
    COMMAND ${CMAKE_COMMAND} -E remove_directory ${VELMORO_DOCS_OUTPUT}/html
    COMMAND Doxygen::doxygen ${VELMORO_DOCS_OUTPUT}/Doxyfile
    DEPENDS ${VELMORO_DOCS_INPUTS} ${VELMORO_DOCS_OUTPUT}/Doxyfile
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "API reference into ${VELMORO_DOCS_OUTPUT}/html"
    VERBATIM)
  if(VELMORO_BUILD_DOCS)
    add_custom_target(docs ALL DEPENDS ${VELMORO_DOCS_STAMP})
    install(DIRECTORY ${VELMORO_DOCS_OUTPUT}/html DESTINATION ${VELMORO_DOC_DIR})
  else()
    add_custom_target(docs DEPENDS ${VELMORO_DOCS_STAMP})
    install(DIRECTORY ${VELMORO_DOCS_OUTPUT}/html DESTINATION ${VELMORO_DOC_DIR} OPTIONAL)
  endif()
endif()
