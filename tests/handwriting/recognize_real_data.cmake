# Runs tulvo-recognize on the real templates (in the program directory) with
# stroke files written from the stroke data, lightly distorted, and checks
# its answers and its handling of bad input.
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS data/recog.dat)
    message(FATAL_ERROR "data/recog.dat is missing: run `make data` first")
endif()

# The first five candidates of FILE under --chars FORMS, one character each.
function(first_five out file forms)
    execute_process(COMMAND ${RECOGNIZE} --chars ${forms} ${file}
                    OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${file}: exit ${rc}: ${err}")
    endif()
    if(NOT text MATCHES "^[^\t\n]+\t-?[0-9.]+(e[-+][0-9]+)?\n")
        message(FATAL_ERROR "${file}: not character<TAB>score lines:\n${text}")
    endif()
    string(REGEX REPLACE "\t[^\n]*" "" chars "${text}")
    string(REPLACE "\n" ";" chars "${chars}")
    list(SUBLIST chars 0 5 chars)
    set(${out} "${chars}" PARENT_SCOPE)
endfunction()

function(expect_among character file forms)
    first_five(chars ${file} ${forms})
    if(NOT character IN_LIST chars)
        message(FATAL_ERROR "${character} not among the first candidates (${forms}): ${chars}")
    endif()
endfunction()

expect_among(我 ${STROKES}/wo.txt both)
expect_among(我 ${STROKES}/wo.txt simplified)
expect_among(我 ${STROKES}/wo.txt traditional)
expect_among(是 ${STROKES}/shi.txt both)
expect_among(國 ${STROKES}/guo.txt both)
expect_among(國 ${STROKES}/guo.txt traditional)
# Once the character types are there, 國 is a traditional-only form.
if(EXISTS data/chartypes.txt)
    first_five(chars ${STROKES}/guo.txt simplified)
    if(國 IN_LIST chars)
        message(FATAL_ERROR "國 offered under the simplified-only preference: ${chars}")
    endif()
endif()

# Plain writing, drawn by hand as straight mouse moves: each character first.
function(expect_first character file)
    first_five(chars ${file} both)
    list(GET chars 0 top)
    if(NOT top STREQUAL character)
        message(FATAL_ERROR "${file}: ${character} expected first, got ${chars}")
    endif()
endfunction()
expect_first(一 ${STROKES}/yi.txt)
expect_first(丨 ${STROKES}/shu.txt)
expect_first(人 ${STROKES}/ren.txt)
expect_first(入 ${STROKES}/ru.txt)
expect_first(八 ${STROKES}/ba.txt)
# --pass-only gives the recognition pass itself: a horizontal line meets a
# one-segment template exactly, 1 with the one-stroke bonus of 9 %.
execute_process(COMMAND ${RECOGNIZE} --pass-only ${STROKES}/yi.txt OUTPUT_VARIABLE text
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT text MATCHES "^[^\t]+\t1\.09000003\n")
    message(FATAL_ERROR "--pass-only: exit ${rc}, output '${text}'")
endif()

# No strokes: no output, exit 0.
execute_process(COMMAND ${RECOGNIZE} /dev/null OUTPUT_VARIABLE text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT text STREQUAL "")
    message(FATAL_ERROR "empty input: exit ${rc}, output '${text}'")
endif()

# A bad line: exit 2 and the line named.
file(WRITE ${SCRATCH}/bad.txt "10,10 40,10\n10,50 40,x\n")
execute_process(COMMAND ${RECOGNIZE} ${SCRATCH}/bad.txt OUTPUT_VARIABLE text ERROR_VARIABLE err
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 2 OR NOT err MATCHES "line 2" OR NOT text STREQUAL "")
    message(FATAL_ERROR "bad line: exit ${rc}, error '${err}', output '${text}'")
endif()
execute_process(COMMAND ${RECOGNIZE} --chars all ${STROKES}/wo.txt RESULT_VARIABLE rc
                OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 2)
    message(FATAL_ERROR "a bad option must exit 2, got ${rc}")
endif()
