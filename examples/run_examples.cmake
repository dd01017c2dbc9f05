# SPDX-License-Identifier: MIT
# Builds the examples with find_package against the package the consumer test
# installed into PREFIX, as a user of the installed package would.
#   cmake -DSOURCE_DIR=... -DPREFIX=... -DWORK_DIR=... [-DSANITIZE=ON] [-DPICTURE_IO=ON] [-DWERROR=ON] -P run_examples.cmake
# A cross build also passes TOOLCHAIN_FILE.
file(REMOVE_RECURSE ${WORK_DIR})
set(toolchain "")
if(TOOLCHAIN_FILE)
  set(toolchain -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
endif()
set(flags "")
if(SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()
if(NOT DEFINED PICTURE_IO)
  set(PICTURE_IO OFF)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${WORK_DIR}/build -G Ninja
                        -DCMAKE_PREFIX_PATH=${PREFIX} "-DCMAKE_CXX_FLAGS=${flags}"
                        -DVELMORO_EXAMPLES_PICTURE_IO=${PICTURE_IO} -DVELMORO_WERROR=${WERROR} ${toolchain}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build COMMAND_ERROR_IS_FATAL ANY)

# Every example is listed in the README and has a page in the reference.
file(GLOB example_sources RELATIVE ${SOURCE_DIR}/examples ${SOURCE_DIR}/examples/*.cpp)
file(READ ${SOURCE_DIR}/README.md readme_text)
file(READ ${SOURCE_DIR}/docs/examples.dox reference_text)
foreach(source IN LISTS example_sources)
  string(FIND "${readme_text}" "(examples/${source})" in_readme)
  string(FIND "${reference_text}" "@example ${source}" in_reference)
  if(in_readme EQUAL -1 OR in_reference EQUAL -1)
    message(FATAL_ERROR "examples/${source} is missing from README.md or docs/examples.dox")
  endif()
endforeach()
