# Runs the built qora-packets on real files: a good file decodes, bad input fails with a
# message on standard error, and so does output that cannot be written (a full disk). Called as cmake -DTOOL=... -DWORK=... -P run_packets_tool.cmake
file(MAKE_DIRECTORY "${WORK}")

function(expect_run expected_status expected_text)
    execute_process(COMMAND "${TOOL}" ${ARGN}
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL expected_status)
        message(FATAL_ERROR "qora-packets ${ARGN}: status ${status}, expected ${expected_status}\n${out}${err}")
    endif()
    if(NOT "${out}${err}" MATCHES "${expected_text}")
        message(FATAL_ERROR "qora-packets ${ARGN}: output lacks '${expected_text}':\n${out}${err}")
    endif()
endfunction()

# 100 bytes: two packets. 149 bytes: two packets and a torn one.
string(REPEAT "A" 100 two_packets)
file(WRITE "${WORK}/two.bin" "${two_packets}")
string(REPEAT "A" 49 torn_packet)
file(WRITE "${WORK}/torn.bin" "${two_packets}${torn_packet}")
file(REMOVE "${WORK}/missing.bin")

expect_run(0 "#0 ps3 .*\n#1 ps3 " --console ps3 "${WORK}/two.bin")
expect_run(0 "usage: qora-packets" --help)
expect_run(3 "#0 xbox360 .*\n#1 xbox360 .*ends in 49 bytes that are not a whole packet"
    --console xbox360 "${WORK}/torn.bin")
expect_run(1 "cannot open" --console ps3 "${WORK}/missing.bin")
expect_run(2 "unknown console" --console ps4 "${WORK}/two.bin")
expect_run(2 "--console is required" "${WORK}/two.bin")

foreach(arguments IN ITEMS "--console;ps3;${WORK}/two.bin" "--console;ps3;${WORK}/torn.bin" --help)
    execute_process(COMMAND "${TOOL}" ${arguments}
        RESULT_VARIABLE status OUTPUT_FILE /dev/full ERROR_VARIABLE err)
    if(NOT status EQUAL 1 OR NOT err MATCHES "standard output cannot be written")
        message(FATAL_ERROR "qora-packets ${arguments} > /dev/full: status ${status}\n${err}")
    endif()
endforeach()

# A folder and a device are no packets file.
expect_run(1 "cannot read ${WORK}: a folder, not a packets file" --console ps3 "${WORK}")
expect_run(1 "cannot read /dev/zero: a device, not a packets file" --console ps3 /dev/zero)

# A pipe streams: its first packets come out at once, in bounded memory.
execute_process(COMMAND cat /dev/zero
    COMMAND "${TOOL}" --console xbox360 /dev/stdin
    COMMAND head -n 3
    OUTPUT_VARIABLE endless TIMEOUT 60)
if(NOT endless MATCHES "^#0 xbox360 [^\n]*\n#1 xbox360 [^\n]*\n#2 xbox360 [^\n]*\n$")
    message(FATAL_ERROR "qora-packets on an endless pipe did not stream its packets:\n${endless}")
endif()
