# Installs the build into a fresh prefix and builds the examples against it
# with find_package, as a user of the installed package would.
#   cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DWORK_DIR=... [-DSANITIZE=ON] [-DPICTURE_IO=ON] -P run_examples.cmake
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix})
set(flags "")
if(SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()
if(NOT DEFINED PICTURE_IO)
  set(PICTURE_IO OFF)
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=${flags}" -DVELMORO_EXAMPLES_PICTURE_IO=${PICTURE_IO})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)

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
