# Test set-up shared by every folder.
#
#   veltrane_add_test(NAME name SOURCES ... LIBS ... LABELS ... [LOCKS ...] [SCREEN]
#                     [PREFIX name [SCREEN_SIZE WxHxD]] [LEGACY_CODE_PAGE])
#
# builds one GoogleTest program and registers it as a single CTest entry:
# under Wine a process start costs about a second, so one entry per program
# rather than one per test case. SCREEN marks a test that shows windows on
# the build folder's X server (clicking on them, or reading the screen back):
# such tests take turns, or one would find another's windows in its way.
# LOCKS names further shared state the test changes: wine_machine_state
# (machine-wide values and the shared history keys), wine_user_registry
# (throwaway keys under HKCU\Software, which a restore of the whole of
# HKCU\Software would bring back if it ran in between).
# PREFIX name runs the test in a Wine prefix of its own under the build
# folder (wine-<name>), with its own X server and wineserver, for a test that
# changes what every program of a prefix sees when it starts (the display's
# dpi): it takes no turns with the others. SCREEN_SIZE is that X server's
# screen (1280x1024x24 unless given).
# Under Wine a test program carries the programs' manifest, which makes its
# 8-bit texts UTF-8 as theirs are; LEGACY_CODE_PAGE leaves it out, so the
# program runs in the prefix's legacy code page (Windows-1252, wine-run).
enable_testing()

if(VELTRANE_WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Not our code: its warnings are its own.
  set_target_properties(gtest gtest_main gmock gmock_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  set(VELTRANE_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
  # Ends the shared wineserver and X server after every run that used them.
  add_test(NAME wine_stop COMMAND ${CMAKE_BINARY_DIR}/wine-run --stop)
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
else()
  find_package(GTest REQUIRED)
endif()

# Makes UTF-8 the code page of `target`'s process (cmake/utf8-code-page.rc).
function(veltrane_add_utf8_manifest target)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/utf8-code-page.rc)
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/cmake/utf8-code-page.rc APPEND PROPERTY OBJECT_DEPENDS
               ${CMAKE_SOURCE_DIR}/cmake/utf8-code-page.manifest)
endfunction()

function(veltrane_add_test)
  cmake_parse_arguments(T "SCREEN;LEGACY_CODE_PAGE" "NAME;TIMEOUT;PREFIX;SCREEN_SIZE"
                        "SOURCES;LIBS;LABELS;LOCKS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(VELTRANE_WIN32 AND NOT T_LEGACY_CODE_PAGE)
    veltrane_add_utf8_manifest(${T_NAME})
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  # GCC 12 at -O2 warns falsely about std::string concatenations
  # (-Wrestrict in char_traits), and tests build many such paths.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${T_NAME} PRIVATE -Wno-restrict)
  endif()
  if(T_PREFIX AND VELTRANE_WIN32)
    set(state VELTRANE_WINE_STATE=wine-${T_PREFIX})
    if(T_SCREEN_SIZE)
      list(APPEND state VELTRANE_WINE_SCREEN=${T_SCREEN_SIZE})
    endif()
    add_test(NAME ${T_NAME} COMMAND ${CMAKE_COMMAND} -E env ${state} ${VELTRANE_WINE_RUN}
                                    $<TARGET_FILE:${T_NAME}> --gtest_brief=1)
    add_test(NAME wine_stop_${T_PREFIX}
             COMMAND ${CMAKE_COMMAND} -E env ${state} ${VELTRANE_WINE_RUN} --stop)
    set_tests_properties(wine_stop_${T_PREFIX} PROPERTIES FIXTURES_CLEANUP wine-${T_PREFIX})
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine-${T_PREFIX})
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
  if(T_SCREEN)
    list(APPEND T_LOCKS wine_screen)
  endif()
  if(T_LOCKS)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(VELTRANE_WIN32 AND NOT T_PREFIX)
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()
