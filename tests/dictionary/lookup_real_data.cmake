# Runs tulvo-lookup on the real dictionary (in the program directory) and
# checks a few answers every learner relies on.
if(NOT EXISTS data/CEDICT_ts.u8)
    message(FATAL_ERROR "data/CEDICT_ts.u8 is missing: run `make data` first")
endif()

# Runs tulvo-lookup with ARGN; its output must match `pattern`.
function(expect_output description pattern)
    execute_process(COMMAND ${LOOKUP} ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${description}: exit ${rc}: ${err}")
    endif()
    string(REGEX MATCH "${pattern}" found "${out}")
    if(NOT found)
        string(SUBSTRING "${out}" 0 600 start)
        message(FATAL_ERROR "${description}: no match for '${pattern}' in:\n${start}")
    endif()
endfunction()

# Some row starts with `expected`.
function(expect_line description expected)
    expect_output("${description}" "(^|\n)${expected}" ${ARGN})
endfunction()

# The first row, the one a learner sees first, starts with `expected`.
function(expect_first description expected)
    expect_output("${description}" "^${expected}" ${ARGN})
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

# The first rows a learner sees: the word meant comes first.
expect_first("common character of a reading first" "是\tshì\t" shi4)
# Among the most frequent characters of a toneless syllable, the most used
# comes first, whatever its tone; a character's common reading before its
# rare one.
expect_first("most used character of a toneless syllable first" "是\tshì\t" shi)
expect_first("most used of a syllable, not the first tone" "在\tzài\t" zai)
execute_process(COMMAND ${LOOKUP} --match exact jie OUTPUT_VARIABLE out)
string(FIND "${out}" "\n结\tjié\t" common)
string(FIND "${out}" "\n结\tjiē\t" rare)
if(common EQUAL -1 OR rare EQUAL -1 OR common GREATER rare)
    message(FATAL_ERROR "结 jié, its common reading, must come before jiē:\n${out}")
endif()
# A character that is a word of its own comes before one met mostly in
# compounds, whatever their classes: 试 (to try) before 视 (电视).
execute_process(COMMAND ${LOOKUP} shi4 OUTPUT_VARIABLE out)
string(FIND "${out}" "\n试\tshì\t" word)
string(FIND "${out}" "\n视\tshì\t" bound)
if(word EQUAL -1 OR bound EQUAL -1 OR word GREATER bound)
    message(FATAL_ERROR "试, a word of its own, must come before 视 for shi4:\n${out}")
endif()
expect_first("toneless word typed whole first" "学习\txué xí\t" xuexi)
expect_first("toneless word that is also an English word" "汉语\tHàn yǔ\t" hanyu)
expect_line("toneless syllable with place names" "睡\tshuì" shui)
expect_first("ü typed as a letter" "女\tnǚ\t" --match exact nü3)
expect_line("ü typed as a letter, no tone" "绿\tlǜ\t" lü)
expect_first("sentence lists its words in order" "我\twǒ\t[^\n]*\n想\txiǎng\t" 我想学习中文)
expect_first("question mark is one character" "[^\t\n]+学\t" ?学)
execute_process(COMMAND ${LOOKUP} --definitions 习 xi2 OUTPUT_VARIABLE out)
if(out MATCHES "^surname")
    message(FATAL_ERROR "the definitions of 习 xi2 start with the surname:\n${out}")
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
