# The starter profiles ship twice: as config.bin with layers.bin and as their texts,
# shooter.txt (record 0) and shooter-precise.txt (record 1, with its layer). Both must say
# the same: the export of each record is its text, and the import of the texts, in order,
# is config.bin and layers.bin.
# Called as cmake -DTOOL=qora-profiles -DDEFAULTS=resources/defaults -DWORK=dir -P this file.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/exported" "${WORK}/imported")
file(COPY "${DEFAULTS}/setting.ini" "${DEFAULTS}/config.bin" "${DEFAULTS}/layers.bin"
    DESTINATION "${WORK}/exported")
set(texts shooter.txt shooter-precise.txt)

function(run)
    execute_process(COMMAND "${TOOL}" ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "qora-profiles ${ARGN} failed (${status}):\n${err}")
    endif()
endfunction()

function(expect_same first second what regenerate)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${first}" "${second}"
        RESULT_VARIABLE differ)
    if(differ)
        message(FATAL_ERROR "${what}: ${first} and ${second} differ. ${regenerate}")
    endif()
endfunction()

set(index 0)
foreach(text IN LISTS texts)
    run(--folder "${WORK}/exported" --console xbox360 export ${index} -o "${WORK}/exported/${text}")
    set(regenerate "Regenerate it with\n  qora-profiles --folder resources/defaults")
    string(APPEND regenerate " --console xbox360 export ${index} -o resources/defaults/${text}")
    expect_same("${WORK}/exported/${text}" "${DEFAULTS}/${text}"
        "the text is not the export of record ${index} of config.bin" "${regenerate}")
    run(--folder "${WORK}/imported" import "${DEFAULTS}/${text}")
    math(EXPR index "${index} + 1")
endforeach()
foreach(store IN ITEMS config.bin layers.bin)
    expect_same("${WORK}/imported/${store}" "${DEFAULTS}/${store}"
        "the import of the texts is not ${store}" "")
endforeach()
