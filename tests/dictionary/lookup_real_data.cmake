# Runs tulvo-lookup on the real dictionary (in the program directory) and
# checks a few answers every learner relies on.
if(NOT EXISTS data/CEDICT_ts.u8)
    message(FATAL_ERROR "data/CEDICT_ts.u8 is missing: run `make data` first")
endif()

function(expect_line description expected)
    execute_process(COMMAND ${LOOKUP} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${description}: exit ${rc}: ${err}")
    endif()
    string(REGEX MATCH "(^|\n)${expected}" found "${out}")
    if(NOT found)
        message(FATAL_ERROR "${description}: no line matching '${expected}' in:\n${out}")
    endif()
endfunction()

expect_line("numbered pinyin" "你好\tnǐ hǎo\thello" ni3hao3)
expect_line("marked pinyin" "你好\tnǐ hǎo\thello" nǐhǎo)
expect_line("toneless pinyin" "你好\tnǐ hǎo\thello" nihao)
expect_line("exact English" "吃饭\tchī fàn\tto have a meal/to eat/" --match exact "to eat")
expect_line("hexadecimal code" "中\tzhōng\t" 4e2d)
expect_line("decimal code" "中\tzhōng\t" 20013)
expect_line("traditional preference" "中國\tZhōng guó\tChina" --prefer traditional --match exact China)

# The pinyin field ends at its "]": nothing reads on into the definitions.
execute_process(COMMAND ${LOOKUP} "ma3]" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    message(FATAL_ERROR "\"ma3]\" must find no row, exit 0; got ${rc}:\n${out}")
endif()

execute_process(COMMAND ${LOOKUP} --match bogus x RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 2)
    message(FATAL_ERROR "a bad option must exit 2, got ${rc}")
endif()
execute_process(COMMAND ${LOOKUP} ma --match RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 2)
    message(FATAL_ERROR "an option without its value must exit 2, got ${rc}")
endif()

expect_line("neutral reading found exactly" "plural marker for pronouns" --definitions 们 men)
expect_line("neutral reading completed by the one tone" "\\*\\*2\n" --definitions 食 shi)
expect_line("to tone marks" "lǜe Ōu" --to-marked "lu:e4 Ou1")
expect_line("to tone digits" "Zhong1guo2" --to-numbered "Zhōngguó")
