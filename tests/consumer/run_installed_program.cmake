# SPDX-License-Identifier: MIT
# Copies the installed prefix elsewhere and runs the velmoro program there with
# an empty environment: it must find its library and the codec module by itself.
# A cross build passes EMULATOR, which runs the program.
file(REMOVE_RECURSE ${WORK_DIR})
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
set(prefix ${WORK_DIR}/moved)
file(COPY ${PREFIX}/ DESTINATION ${prefix})

find_program(ENV_PROGRAM env REQUIRED)
# Runs the installed program with no environment at all; `expected` must occur in
# what it prints.
function(run_clean expected)
  execute_process(COMMAND ${ENV_PROGRAM} -i ${emulator} ${prefix}/bin/velmoro ${ARGN} WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${out}" "${expected}" at)
  if(NOT rc EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "velmoro ${ARGN}: status ${rc}, expected '${expected}' in:\n${out}${err}")
  endif()
endfunction()

run_clean("velmoro ${VERSION}" --version)
run_clean("227 x 149, 24 bits" info ${SOURCE_DIR}/tests/data/corpus/jpeg/testorig.jpg)
run_clean("" convert ${SOURCE_DIR}/tests/data/corpus/jpeg/testorig.jpg ${WORK_DIR}/copy.bmp)
run_clean("copy.bmp: 227 x 149, 24 bits" info ${WORK_DIR}/copy.bmp)

if(NOT EXISTS ${prefix}/share/man/man1/velmoro.1)
  message(FATAL_ERROR "the manual is not installed as share/man/man1/velmoro.1")
endif()
