# The program never runs the event loop from inside its own work: a nested
# loop lets a search, a lookup or a socket handler run in the middle of
# another. Tests and benchmarks may drive the loop themselves.
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.hpp)
set(found "")
foreach(source IN LISTS sources)
    if(source MATCHES "^(tests|bench|build)/")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "processEvents *\\(")
    if(lines)
        string(APPEND found "\n  ${source}: ${lines}")
    endif()
endforeach()
if(found)
    message(FATAL_ERROR "processEvents() in the program:${found}")
endif()
