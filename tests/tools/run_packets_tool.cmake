# Runs the built qora-packets on real files: a good file decodes, bad input fails with a
# message on standard error. Called as cmake -DTOOL=... -DWORK=... -P run_packets_tool.cmake
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

# 100 bytes: two packets. 49 bytes: not whole packets.
string(REPEAT "A" 100 two_packets)
file(WRITE "${WORK}/two.bin" "${two_packets}")
string(REPEAT "A" 49 short_packet)
file(WRITE "${WORK}/short.bin" "${short_packet}")
file(REMOVE "${WORK}/missing.bin")

expect_run(0 "#0 ps3 .*\n#1 ps3 " --console ps3 "${WORK}/two.bin")
expect_run(0 "usage: qora-packets" --help)
expect_run(1 "length 49 is not a multiple of 50 bytes" --console xbox360 "${WORK}/short.bin")
expect_run(1 "cannot open" --console ps3 "${WORK}/missing.bin")
expect_run(2 "unknown console" --console ps4 "${WORK}/two.bin")
expect_run(2 "--console is required" "${WORK}/two.bin")
