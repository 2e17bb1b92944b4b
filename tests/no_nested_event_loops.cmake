# The program never runs the event loop from inside its own work: a nested
# loop lets a search, a lookup or a socket handler run in the middle of
# another. Nor does the window's thread wait for a child program: the window
# would neither paint nor answer other programs meanwhile. Tests and
# benchmarks may drive the loop and wait themselves.
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.hpp)
# Where a blocking wait is right: the wait itself; the install and update
# steps, which run on a thread of their own; the options program, which runs
# its waits on a thread too; the lookup launcher, which waits only for the
# middle process of its double fork, which ends at once.
set(waits_allowed
    "^platform/run_program\\.(cpp|hpp)$"
    "^updates/"
    "^options/"
    "^shell/dictionary_installer\\.cpp$"
    "^shell/lookup_launcher\\.cpp$")
set(found "")
foreach(source IN LISTS sources)
    if(source MATCHES "^(tests|bench|build)/")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "processEvents *\\(")
    if(lines)
        string(APPEND found "\n  ${source}: ${lines}")
    endif()
    set(allowed FALSE)
    foreach(pattern IN LISTS waits_allowed)
        if(source MATCHES "${pattern}")
            set(allowed TRUE)
        endif()
    endforeach()
    if(NOT allowed)
        file(STRINGS ${SOURCE_DIR}/${source} waits
             REGEX "runProgramAndWait *\\(|waitpid *\\([^)]*, *0 *\\)|waitForFinished *\\(")
        if(waits)
            string(APPEND found "\n  ${source}: ${waits}")
        endif()
    endif()
endforeach()
if(found)
    message(FATAL_ERROR "an event loop run or a child waited for inside the program's work:${found}")
endif()
