# Native build: the portable code and its unit tests under ASan and UBSan,
# plus the CTest entries that drive the Windows build under Wine.
set(sanitize -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(qd_portable PUBLIC ${sanitize} -g)
target_link_options(qd_portable PUBLIC ${sanitize})

find_package(GTest REQUIRED)
add_executable(unit_tests ${unit_tests})
target_link_libraries(unit_tests PRIVATE qd_portable GTest::gtest_main)
# The machine records the readers' tests replay: every one must read.
target_compile_definitions(unit_tests PRIVATE QD_MACHINES_DIR="${CMAKE_SOURCE_DIR}/tests/machines")

enable_testing()
# Label "unit": what `make unit` runs, natively and in seconds.
add_test(NAME native_unit COMMAND unit_tests)
set_tests_properties(native_unit PROPERTIES LABELS unit)
include(${CMAKE_SOURCE_DIR}/tests/fuzz/replay.cmake)

# A second compiler's opinion on the portable code.
find_program(CLANGXX clang++)
if(CLANGXX)
  add_test(NAME clang_portable COMMAND ${CMAKE_SOURCE_DIR}/tests/build/clang-check.sh ${CLANGXX}
           ${CMAKE_BINARY_DIR}/generated ${portable_sources})
endif()

set(QD_WINDOWS_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/windows CACHE PATH "The mingw-w64 build whose outputs the Wine tests run")
set(wine_env "QD_WIN=${QD_WINDOWS_BUILD_DIR}" "QD_WORK=${CMAKE_BINARY_DIR}/wine" "QD_SRC=${CMAKE_SOURCE_DIR}")
# What the tests below need from the Windows build: without it they are
# reported as not run, instead of failing somewhere inside Wine.
set(windows_exe ${QD_WINDOWS_BUILD_DIR}/quellix-detect.exe)
set(windows_test_exe ${QD_WINDOWS_BUILD_DIR}/quellix-detect-test.exe)  # with the High Contrast hook
# The field kit and the tests its end-to-end test replays a record through.
set(windows_kit_exes ${QD_WINDOWS_BUILD_DIR}/quellix-report.exe ${QD_WINDOWS_BUILD_DIR}/windows_tests.exe)
set(windows_tool_exes ${windows_tools})
list(TRANSFORM windows_tool_exes REPLACE "^.*/([^/]+)\\.cpp$" "${QD_WINDOWS_BUILD_DIR}/\\1.exe")

add_test(NAME wine_prefix COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/template.sh)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${wine_env}" TIMEOUT 300)

add_test(NAME exe_imports COMMAND ${CMAKE_SOURCE_DIR}/tests/build/check-exe.sh ${windows_exe})
add_test(NAME exe_resources COMMAND ${CMAKE_SOURCE_DIR}/tests/build/check-resources.sh ${windows_exe} ${PROJECT_VERSION})
set_tests_properties(exe_imports exe_resources PROPERTIES REQUIRED_FILES ${windows_exe})

add_test(NAME windows_unit COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/session.sh
         ${QD_WINDOWS_BUILD_DIR}/windows_tests.exe --gtest_brief=1)
set_tests_properties(windows_unit PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${wine_env}" TIMEOUT 300
                     REQUIRED_FILES ${QD_WINDOWS_BUILD_DIR}/windows_tests.exe)

foreach(script ${e2e_scripts})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e_${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/session.sh --e2e ${script})
  set_tests_properties(e2e_${name} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${wine_env}" TIMEOUT 300
                       REQUIRED_FILES "${windows_exe};${windows_test_exe};${windows_tool_exes};${windows_kit_exes}")
endforeach()

# The release: reproducible (two clean builds without ccache, compared byte for
# byte) and signed (a throw-away certificate, checked and run under Wine).
add_test(NAME release_reproducible COMMAND ${CMAKE_SOURCE_DIR}/tests/release/reproducible.sh
         ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/reproducible ${PROJECT_VERSION})
set_tests_properties(release_reproducible PROPERTIES TIMEOUT 900)
add_test(NAME release_signed COMMAND ${CMAKE_SOURCE_DIR}/tests/release/signed.sh ${windows_exe} ${PROJECT_VERSION})
set_tests_properties(release_signed PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${wine_env}" TIMEOUT 300
                     REQUIRED_FILES ${windows_exe})
