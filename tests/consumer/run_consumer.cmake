# SPDX-License-Identifier: MIT
# Installs the build into a fresh prefix, then configures, builds and runs the
# consumer project against it with find_package and with pkg-config.
# A cross build passes EMULATOR, TOOLCHAIN_FILE, CXX and PKG_CONFIG_LIBDIR.
file(REMOVE_RECURSE ${WORK_DIR})
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
set(toolchain "")
if(TOOLCHAIN_FILE)
  set(toolchain -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
  set(ENV{PKG_CONFIG_LIBDIR} ${PKG_CONFIG_LIBDIR})
endif()
if(NOT CXX)
  set(CXX c++)
endif()
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix})
set(flags "")
if(SANITIZE STREQUAL "thread")
  set(flags "-fsanitize=thread")
elseif(SANITIZE)
  set(flags "-fsanitize=address,undefined")
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=${flags}" ${toolchain})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${emulator} ${WORK_DIR}/build/consumer)

# The tour runs in its own folder, on a JPEG from the corpus.
set(tour_jpeg ${SOURCE_DIR}/tests/data/corpus/jpeg/testorig.jpg)
file(MAKE_DIRECTORY ${WORK_DIR}/tour)
execute_process(COMMAND ${emulator} ${WORK_DIR}/build/tour ${tour_jpeg} WORKING_DIRECTORY ${WORK_DIR}/tour
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK_DIR}/tour/tour-scene.bmp)
  message(FATAL_ERROR "the tour failed (${rc}):\n${out}")
endif()
# The README shows the tour as it stands in tour.cpp, below its licence line.
file(READ ${SOURCE_DIR}/tests/consumer/tour.cpp tour_text)
string(REGEX REPLACE "^// SPDX-License-Identifier: MIT\n" "" tour_text "${tour_text}")
file(READ ${SOURCE_DIR}/README.md readme_text)
string(FIND "${readme_text}" "${tour_text}" tour_at)
if(tour_at EQUAL -1)
  message(FATAL_ERROR "README.md does not hold tests/consumer/tour.cpp as it stands; copy it in again")
endif()

# The same program through pkg-config alone.
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs velmoro OUTPUT_VARIABLE pc_flags
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra UNIX_COMMAND "${flags}")
run(${CXX} -std=c++17 ${extra} ${SOURCE_DIR}/tests/consumer/pkgconfig_consumer.cpp ${pc_flags}
    -Wl,-rpath,${prefix}/lib -o ${WORK_DIR}/pkgconfig_consumer)
run(${emulator} ${WORK_DIR}/pkgconfig_consumer)
