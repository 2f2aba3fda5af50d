# The numeric library and the run's physics with their tests alone, cross-built for another
# system or processor (cmake/aarch64/, cmake/mingw64/): the same sources, the same checks.

set(portable_core_root ${CMAKE_CURRENT_LIST_DIR}/..)

# The language, the warnings, GoogleTest from Debian's sources (package googletest) built
# with the cross compiler, and the two libraries.
macro(portable_core_libraries)
    set(CMAKE_CXX_STANDARD 20)
    set(CMAKE_CXX_STANDARD_REQUIRED ON)
    set(CMAKE_CXX_EXTENSIONS OFF)
    if(NOT CMAKE_BUILD_TYPE)
        set(CMAKE_BUILD_TYPE Release CACHE STRING "" FORCE)
    endif()
    find_program(CCACHE_PROGRAM ccache)
    if(CCACHE_PROGRAM)
        set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest googletest EXCLUDE_FROM_ALL)
    add_compile_options(-Wall -Wextra -Werror)
    # g++ 12 reports false overlaps inside std::string at -O2 and above (its bug 105329).
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        add_compile_options(-Wno-restrict)
    endif()
    set(root ${portable_core_root})
    add_subdirectory(${root}/numeric numeric)
    add_subdirectory(${root}/diffraction diffraction)
    enable_testing()
endmacro()

# The tests; each gets the properties given (say, the fixture that makes their prefix).
function(portable_core_tests)
    add_library(number_text_checks STATIC ${root}/tests/support/exactDecimal.cpp
                                          ${root}/tests/support/numberTextChecks.cpp)
    target_include_directories(number_text_checks PUBLIC ${root}/tests/support)
    target_link_libraries(number_text_checks PUBLIC diffraction numeric)
    set(tests numberTextCorpus)
    foreach(name randomTest floatEnvTest numberTextTest sameDigitsTest diffractionTest)
        add_executable(${name} ${root}/tests/${name}.cpp)
        target_link_libraries(${name} PRIVATE number_text_checks gtest_main)
        add_test(NAME ${name} COMMAND ${name})
        list(APPEND tests ${name})
    endforeach()
    add_executable(numberTextCorpus ${root}/tests/support/corpusReplay.cpp)
    target_link_libraries(numberTextCorpus PRIVATE number_text_checks)
    add_test(NAME numberTextCorpus COMMAND numberTextCorpus ${root}/fuzz/corpus)
    set_tests_properties(${tests} PROPERTIES TIMEOUT 600 ${ARGN})
endfunction()
