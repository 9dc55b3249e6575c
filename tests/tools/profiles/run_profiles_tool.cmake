# Runs the built qora-profiles on a copy of the default files: the version is the project's,
# the starter store passes the check, mistakes end with their exit status, and output that
# cannot be written (a full disk) is a failure.
# Called as cmake -DTOOL=... -DDEFAULTS=... -DWORK=... -DVERSION=... -P run_profiles_tool.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${DEFAULTS}/setting.ini" "${DEFAULTS}/config.bin" DESTINATION "${WORK}")

function(expect_run expected_status expected_text)
    execute_process(COMMAND "${TOOL}" ${ARGN} WORKING_DIRECTORY "${WORK}"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL expected_status)
        message(FATAL_ERROR "qora-profiles ${ARGN}: status ${status}, expected ${expected_status}\n${out}${err}")
    endif()
    if(NOT "${out}${err}" MATCHES "${expected_text}")
        message(FATAL_ERROR "qora-profiles ${ARGN}: output lacks '${expected_text}':\n${out}${err}")
    endif()
endfunction()

string(REPLACE "." "\\." version "${VERSION}")
expect_run(0 "^qora-profiles ${version}\n$" --version)
expect_run(0 "^2 profiles, no problems\n$" check)
expect_run(0 "^\\* 0 \"Shooter\": 25 keys, mouse Right Stick, zoom 1\\.0 x 1\\.0\n  1 \"Shooter precise\": 25 keys, mouse Right Stick, zoom 1\\.0 x 1\\.0, precise aim, dead zone 20 %\n$" list)
expect_run(0 "\nL2 = Q\n" --console ps3 export 0)
expect_run(1 "missing\\.txt cannot be read: file not found" import "${WORK}/missing.txt")
expect_run(1 "cannot be read: it is a folder\n" import "${WORK}")
expect_run(2 "unknown command 'lst'" lst)

foreach(command IN ITEMS list check --help)
    execute_process(COMMAND "${TOOL}" ${command} WORKING_DIRECTORY "${WORK}"
        RESULT_VARIABLE status OUTPUT_FILE /dev/full ERROR_VARIABLE err)
    if(NOT status EQUAL 1 OR NOT err MATCHES "standard output cannot be written")
        message(FATAL_ERROR "qora-profiles ${command} > /dev/full: status ${status}\n${err}")
    endif()
endforeach()
