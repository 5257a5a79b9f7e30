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

# The record in Unicode and back; a preview of it; a ringtone is no firmware image.
expect_run(0 "${CLI}" convert "${WORK}/a.re" -o "${WORK}/u.re" --to unicode)
expect_run(0 "${CLI}" convert "${WORK}/u.re" -o "${WORK}/back.re" --to ascii)
file(READ "${WORK}/back.re" back HEX)
if(NOT back STREQUAL record)
    message(FATAL_ERROR "a.re through Unicode and back is ${back}")
endif()
expect_run(0 "${CLI}" render "${WORK}/a.re" -o "${WORK}/a.wav" --half)
file(READ "${WORK}/a.wav" wav LIMIT 12 HEX)
if(NOT wav MATCHES "^52494646........57415645$")  # "RIFF", size, "WAVE"
    message(FATAL_ERROR "a.wav starts with '${wav}'")
endif()
expect_run(1 "${CLI}" bank list "${WORK}/a.rtx")
if(NOT last_err MATCHES "a.rtx doesn't contain PPM section or is not in Dejan/RAW format!")
    message(FATAL_ERROR "bank list of a ringtone reported '${last_err}'")
endif()

expect_run(0 "${CLI}" --version)
if(NOT last_out MATCHES "^belltower-cli [0-9]+\\.[0-9]+\\.[0-9]+\n$")
    message(FATAL_ERROR "--version printed '${last_out}'")
endif()
expect_run(0 "${CLI}" encode --help)
expect_run(2 "${CLI}" no-such-command)
expect_run(1 "${CLI}" encode "${WORK}/missing.rtx" -o "${WORK}/missing.re")
if(NOT last_err MATCHES "missing.rtx: No such file or directory")
    message(FATAL_ERROR "unreadable input reported as '${last_err}'")
endif()
file(REMOVE_RECURSE "${WORK}")
