# The starter profile ships twice: as config.bin and as its text, shooter.txt. Both must say
# the same: the export of config.bin is the text, and the import of the text is config.bin.
# Called as cmake -DTOOL=qora-profiles -DDEFAULTS=resources/defaults -DWORK=dir -P this file.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/exported" "${WORK}/imported")
file(COPY "${DEFAULTS}/setting.ini" "${DEFAULTS}/config.bin" DESTINATION "${WORK}/exported")

function(run)
    execute_process(COMMAND "${TOOL}" ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "qora-profiles ${ARGN} failed (${status}):\n${err}")
    endif()
endfunction()

function(expect_same first second what)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${first}" "${second}"
        RESULT_VARIABLE differ)
    if(differ)
        message(FATAL_ERROR "${what}: ${first} and ${second} differ. Regenerate the text with\n"
            "  qora-profiles --folder resources/defaults --console xbox360 export 0 "
            "-o resources/defaults/shooter.txt")
    endif()
endfunction()

run(--folder "${WORK}/exported" --console xbox360 export 0 -o "${WORK}/exported/shooter.txt")
expect_same("${WORK}/exported/shooter.txt" "${DEFAULTS}/shooter.txt"
    "the text is not the export of config.bin")
run(--folder "${WORK}/imported" import "${DEFAULTS}/shooter.txt")
expect_same("${WORK}/imported/config.bin" "${DEFAULTS}/config.bin"
    "the import of the text is not config.bin")
