# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the built belltower-cli as a shell would. Called by ctest with
#   -DCLI=<the program> -DWORK=<a scratch folder> -P smoke_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(expect_run status)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE got OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT got STREQUAL status)
        message(FATAL_ERROR "${ARGN}\nexit status ${got}, expected ${status}\nstdout: ${out}\nstderr: ${err}")
    endif()
    set(last_out "${out}" PARENT_SCOPE)
    set(last_err "${err}" PARENT_SCOPE)
endfunction()

# The example record: name A, index 1, no ID, one quarter c at 140 BPM, ASCII: 33 bytes, filled to 36.
file(WRITE "${WORK}/a.rtx" "A:d=8,o=6,b=140:4c\r\n")
expect_run(0 "${CLI}" encode "${WORK}/a.rtx" -o "${WORK}/a.re")
file(READ "${WORK}/a.re" record HEX)
set(expected "0000000100000024202020200000000002410000")
string(APPEND expected "02fc090a018b340afe4001070bffffff")
if(NOT record STREQUAL expected)
    message(FATAL_ERROR "a.re is ${record}, expected ${expected}")
endif()

# Standard input to standard output (through a file: execute_process would turn CR LF into LF).
execute_process(COMMAND "${CLI}" to-rtx - -o - INPUT_FILE "${WORK}/a.rtx" OUTPUT_FILE "${WORK}/out.rtx"
                RESULT_VARIABLE got)
file(READ "${WORK}/out.rtx" line HEX)
string(HEX "A:d=8,o=6,b=140,f=,i=1,c=0,s=0,@=1:4c\r\n" expected)
if(NOT got EQUAL 0 OR NOT line STREQUAL expected)
    message(FATAL_ERROR "to-rtx through pipes: status ${got}, output '${line}'")
endif()

# An output that names the open standard output is written into when it is a pipe, and replaced
# beside the file it is when it is a file; either way the bytes arrive there.
expect_run(0 "${CLI}" to-rtx "${WORK}/a.rtx" -o /proc/self/fd/1)
if(NOT last_out MATCHES "^A:d=8,o=6,b=140,f=,i=1,c=0,s=0,@=1:4c")
    message(FATAL_ERROR "to-rtx -o /proc/self/fd/1 into a pipe printed '${last_out}'")
endif()
execute_process(COMMAND "${CLI}" to-rtx "${WORK}/a.rtx" -o /proc/self/fd/1 OUTPUT_FILE "${WORK}/fd1.rtx"
                RESULT_VARIABLE got)
file(READ "${WORK}/fd1.rtx" line HEX)
if(NOT got EQUAL 0 OR NOT line STREQUAL expected)
    message(FATAL_ERROR "to-rtx -o /proc/self/fd/1: status ${got}, output '${line}'")
endif()

# A ringtone is no firmware image: status 1, the message on standard error.
expect_run(1 "${CLI}" bank list "${WORK}/a.rtx")
if(NOT last_err MATCHES "a.rtx doesn't contain PPM section or is not in Dejan/RAW format!")
    message(FATAL_ERROR "bank list of a ringtone reported '${last_err}'")
endif()

expect_run(0 "${CLI}" --version)
if(NOT last_out MATCHES "^belltower-cli [0-9]+\\.[0-9]+\\.[0-9]+\nLicense GPL-3.0-or-later")
    message(FATAL_ERROR "--version printed '${last_out}'")
endif()
expect_run(0 "${CLI}" encode --help)
expect_run(2 "${CLI}" no-such-command)
file(REMOVE_RECURSE "${WORK}")
