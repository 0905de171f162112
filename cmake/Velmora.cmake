# Per-target settings shared by every target of ours. Nothing here is directory-wide.

# Compiler settings of our own code: warnings as errors, sanitizers when asked for. Symbols are hidden
# unless marked VELMORA_API (runtime/exports.h); the layers show all of theirs (velmora_add_layer).
function(velmora_target_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Werror)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON
    BUILD_RPATH "$ORIGIN;$ORIGIN/..")
  # The installed program folder keeps the build folder's layout, so the same run paths hold there.
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN;$ORIGIN/..")
  if(VELMORA_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# Every library and program carries the project's version as its file version (see platform/fileversion.h).
set(VELMORA_VERSION_MINOR ${PROJECT_VERSION_MINOR})
set(VELMORA_VERSION_PATCH 0)
set(VELMORA_VERSION_TWEAK 0)
if(PROJECT_VERSION_PATCH)
  set(VELMORA_VERSION_PATCH ${PROJECT_VERSION_PATCH})
endif()
if(PROJECT_VERSION_TWEAK)
  set(VELMORA_VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
endif()
set(VELMORA_FILE_TYPE 1)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fileversion.cpp.in ${PROJECT_BINARY_DIR}/fileversion_app.cpp @ONLY)
set(VELMORA_FILE_TYPE 2)
configure_file(${CMAKE_CURRENT_LIST_DIR}/fileversion.cpp.in ${PROJECT_BINARY_DIR}/fileversion_dll.cpp @ONLY)
set(VELMORA_VERSION_APP_SOURCE ${PROJECT_BINARY_DIR}/fileversion_app.cpp)
set(VELMORA_VERSION_DLL_SOURCE ${PROJECT_BINARY_DIR}/fileversion_dll.cpp)

# Installation: the program folder is PREFIX/lib/velmora, laid out as build/bin (plug-ins in Encryption/).
# The default prefix is the user's ~/.local, where that folder is writable for the log file.
set(VELMORA_INSTALL_DIR lib/velmora)
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND DEFINED ENV{HOME})
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local" CACHE PATH "Install prefix" FORCE)
endif()

# The data files the programs expect beside themselves (Help.chm, icons) are what the build places in
# build/bin besides the deliverables; the log file is written into the same folder at run time.
install(DIRECTORY ${VELMORA_BIN_DIR}/ DESTINATION ${VELMORA_INSTALL_DIR}
        FILES_MATCHING PATTERN "*.chm" PATTERN "*.ico")

# Installs a deliverable at the place under the program folder that matches its place under build/bin.
# Decided once the defining folder is read, since folders set output folders after creating a target;
# whatever lands outside build/bin (test libraries, test servers) is not part of the suite.
function(velmora_install_deliverable target)
  # A deferred call reads its arguments when it runs, so the name goes in as text.
  cmake_language(EVAL CODE "cmake_language(DEFER CALL _velmora_install_deliverable_now [[${target}]])")
endfunction()

function(_velmora_install_deliverable_now target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  else()
    get_target_property(dir ${target} LIBRARY_OUTPUT_DIRECTORY)
  endif()
  if(NOT dir)
    set(dir ${VELMORA_BIN_DIR})
  endif()
  file(RELATIVE_PATH rel ${VELMORA_BIN_DIR} ${dir})
  if(rel MATCHES "^\\.\\.")
    return()
  endif()
  set(destination ${VELMORA_INSTALL_DIR})
  if(rel)
    string(APPEND destination /${rel})
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${destination} LIBRARY DESTINATION ${destination})
  add_dependencies(suite ${target})
endfunction()

# A shared library of one layer, with an ordinary Linux name (libvelmora-<name>.so).
function(velmora_add_layer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS;PRIVATE_LINKS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES} ${VELMORA_VERSION_DLL_SOURCE})
  velmora_target_defaults(${name})
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET default VISIBILITY_INLINES_HIDDEN OFF)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
  velmora_install_deliverable(${name})
endfunction()

# A suite deliverable library: Name.dll (an ELF shared object named as the suite names it). With CORE,
# it is the entry file (the class table) and the whole of its folder's core, so that nothing another
# library calls is left out; its consumers see the folder's include/ only.
function(velmora_add_dll name)
  cmake_parse_arguments(ARG "" "OUTPUT_DIR;CORE" "SOURCES;LINKS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES} ${VELMORA_VERSION_DLL_SOURCE})
  velmora_target_defaults(${name})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll")
  if(ARG_OUTPUT_DIR)
    set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIR})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LINKS})
  if(ARG_CORE)
    target_link_libraries(${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${ARG_CORE}>")
    target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/include)
  endif()
  velmora_install_deliverable(${name})
endfunction()

# The static core of a deliverable folder: every source of src/ but the deliverable's own entry file
# (ENTRY: its class table or main), compiled once for the deliverable and for its tests. include/ is the
# folder's public face; src/ is visible to the folder's own targets only (the core is linked inside its
# folder alone).
function(velmora_add_core name)
  cmake_parse_arguments(ARG "" "ENTRY" "EXTRA_SOURCES;LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp)
  if(ARG_ENTRY)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_ENTRY})
  endif()
  add_library(${name} STATIC ${sources} ${ARG_EXTRA_SOURCES})
  velmora_target_defaults(${name})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# A suite program or server: Name.exe.
function(velmora_add_exe name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${VELMORA_VERSION_APP_SOURCE})
  velmora_target_defaults(${name})
  set_target_properties(${name} PROPERTIES SUFFIX ".exe")
  target_link_libraries(${name} PRIVATE ${ARG_LINKS})
  velmora_install_deliverable(${name})
endfunction()

# Test code is compiled for quick builds rather than speed: it mostly drives the suite's own code, which
# keeps the build type's optimisation. The code under test never gets these settings.
function(velmora_test_code_defaults target)
  velmora_target_defaults(${target})
  # -fPIC on every test program (Qt's already ask for it) lets them all share one precompiled header.
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-Og> -fPIC)
endfunction()

# The headers nearly every test program parses, compiled once for all of them (velmora_add_test reuses
# them): the test framework and the standard library. Made before the first test program, with the test
# programs' settings, or the compiler refuses the precompiled form.
function(velmora_add_test_headers)
  add_library(velmora-testpch OBJECT ${PROJECT_SOURCE_DIR}/testsupport/src/TestPch.cpp)
  velmora_test_code_defaults(velmora-testpch)
  target_link_libraries(velmora-testpch PRIVATE GTest::gtest)
  target_precompile_headers(velmora-testpch PRIVATE
    <gtest/gtest.h> <algorithm> <chrono> <cstdio> <cstdlib> <cstring> <filesystem> <fstream> <functional>
    <map> <memory> <optional> <random> <regex> <set> <sstream> <string> <thread> <vector>)
endfunction()

# One GoogleTest executable; every test runs in an isolated environment (see runtime/testsupport).
# SANITIZED puts it in the sanitizer run (see velmora_sanitized_test).
function(velmora_add_test name)
  cmake_parse_arguments(ARG "SANITIZED" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  velmora_test_code_defaults(${name})
  target_precompile_headers(${name} REUSE_FROM velmora-testpch)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} velmora-testmain GTest::gtest GTest::gmock)
  set(properties TIMEOUT 120)
  if(ARG_SANITIZED)
    list(APPEND properties LABELS sanitized)
    add_dependencies(sanitized_tests ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# The sanitizer run (the asan preset) builds the target sanitized_tests and runs the tests labelled
# "sanitized": those of the code that reads bytes it did not write or holds the user's data. A plain
# add_test joins it through this function; the program it runs is named as the target it needs built.
function(velmora_sanitized_test test target)
  set_property(TEST ${test} APPEND PROPERTY LABELS sanitized)
  add_dependencies(sanitized_tests ${target})
endfunction()

# Windows read through AT-SPI as a screen reader reads them (testsupport/src/accessible_names.py, whose usage
# the arguments follow), under an X server and a session bus of the script's own. Skipped, like the
# end-to-end tests, only where there is no X server to run; a missing AT-SPI piece is a failure worth seeing.
function(velmora_add_accessibility_test name)
  # Debian's AT-SPI binding is installed for Debian's own Python, which another python3 first on PATH
  # does not see.
  find_program(VELMORA_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(VELMORA_PYTHON python3 REQUIRED)
  find_program(VELMORA_XVFB Xvfb)
  if(VELMORA_XVFB)
    add_test(NAME ${name}
             COMMAND $<IF:$<BOOL:${VELMORA_DEBIAN_PYTHON}>,${VELMORA_DEBIAN_PYTHON},${VELMORA_PYTHON}>
                     ${PROJECT_SOURCE_DIR}/testsupport/src/accessible_names.py ${ARGN})
    set_tests_properties(${name} PROPERTIES TIMEOUT 240)
  endif()
endfunction()

# A program's own end-to-end test: tests/end_to_end.py of the calling folder drives the real program under
# a real X server of its own (Xvfb, through testsupport's private_display.py) as a user does, with xdotool.
# Skipped where either is missing.
function(velmora_add_program_test name program)
  find_program(VELMORA_PYTHON python3 REQUIRED)
  find_program(VELMORA_XVFB Xvfb)
  find_program(VELMORA_XDOTOOL xdotool)
  if(VELMORA_XVFB AND VELMORA_XDOTOOL)
    add_test(NAME ${name}
             COMMAND ${VELMORA_PYTHON} ${PROJECT_SOURCE_DIR}/testsupport/src/private_display.py
                     ${VELMORA_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tests/end_to_end.py $<TARGET_FILE:${program}>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 120)
  endif()
endfunction()
