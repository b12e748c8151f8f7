# Windows build (mingw-w64 here, MSVC on Windows): the program, its Win32 layer,
# the Windows-side tests and the tools that run under Wine.
enable_language(RC)

# Only KnownDLLs: dxgi, dwmapi and powrprof are loaded from System32 at run time.
set(system_libs ole32 shell32 uuid gdi32 user32 advapi32 kernel32)

add_library(qd_win32 STATIC ${win32_sources})
target_link_libraries(qd_win32 PUBLIC qd_portable ${system_libs})
# For every file that includes <windows.h>; the portable code includes none.
target_compile_definitions(qd_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

add_executable(quellix-detect WIN32 ${program_entry} resources/quellix-detect.rc)
# windres's includes are not tracked: rebuild the resources when the icon or manifest changes.
set_source_files_properties(resources/quellix-detect.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/resources/quellix-detect.ico;${CMAKE_BINARY_DIR}/generated/quellix-detect.manifest;${CMAKE_BINARY_DIR}/generated/version.h")
target_link_libraries(quellix-detect PRIVATE qd_win32)

if(MINGW)
  # One self-contained exe that imports only system DLLs.
  set(static_link -static -static-libgcc -static-libstdc++)
  # What goes into the exe: each function and datum in its own section, so that
  # --gc-sections drops what the program never uses; no build folder in the
  # objects, so that the same source gives the same bytes wherever it is built.
  foreach(target qd_portable qd_win32 quellix-detect)
    target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections
      -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  endforeach()
  # No link time in the PE header: two builds of one commit are byte for byte equal.
  target_link_options(quellix-detect PRIVATE ${static_link} -municode -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
endif()

# The field kit: a console program from the same readers, built the way the
# exe is, so that a release's copy can be rebuilt byte for byte.
add_library(qd_kit STATIC ${field_kit_sources})
target_link_libraries(qd_kit PUBLIC qd_win32)
add_executable(quellix-report ${field_kit_entry})
target_link_libraries(quellix-report PRIVATE qd_kit)
if(MINGW)
  foreach(target qd_kit quellix-report)
    target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections
      -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  endforeach()
  target_link_options(quellix-report PRIVATE ${static_link} -municode -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
endif()

# The program with one hook for the end-to-end tests: QD_HIGH_CONTRAST=1 (or 0)
# in its environment stands in for the system's High Contrast setting, which
# Wine cannot switch on. Same sources, one define; the shipped exe has no hook.
add_executable(quellix-detect-test WIN32 ${program_entry} resources/quellix-detect.rc)
target_compile_definitions(quellix-detect-test PRIVATE QD_HIGH_CONTRAST_FROM_ENVIRONMENT)
target_link_libraries(quellix-detect-test PRIVATE qd_win32)
if(MINGW)
  target_link_options(quellix-detect-test PRIVATE ${static_link} -municode -Wl,--gc-sections)
endif()

# GoogleTest from Debian's sources, built for Windows.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(QD_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
add_subdirectory(${QD_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(windows_tests ${unit_tests} ${win_tests} tests/win/window_icon.rc)
set_source_files_properties(tests/win/window_icon.rc PROPERTIES INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/resources
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/quellix-detect.ico)
target_link_libraries(windows_tests PRIVATE qd_kit gtest_main dxgi)  # dxgi: the tests' own adapter read
if(MINGW)
  target_link_options(windows_tests PRIVATE ${static_link})
endif()

# A DLL beside windows_tests.exe and nowhere else, for the System32-only loader's test.
add_library(beside_exe_dll SHARED tests/tools/beside_exe_dll.c)
set_target_properties(beside_exe_dll PROPERTIES OUTPUT_NAME qd-beside-exe PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
if(MINGW)
  target_link_options(beside_exe_dll PRIVATE -static-libgcc)
endif()
add_dependencies(windows_tests beside_exe_dll)

# Small Windows programs used by the tests and the benchmarks.
foreach(src ${windows_tools})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE qd_win32)
  if(MINGW)
    target_link_options(${name} PRIVATE ${static_link} -municode)
  endif()
endforeach()

# Stand-ins for DLLs that a web page could get into the Downloads folder beside
# the exe, one per name the program or the system code it calls may load (the
# test tests/e2e/planted_dlls.sh). Each ends the process with its own exit code.
set(stand_in_dlls dxgi dwmapi powrprof uxtheme version comctl32 opengl32 propsys windowscodecs cryptbase)
set(stand_in_exit_code 100)
foreach(dll ${stand_in_dlls})
  math(EXPR stand_in_exit_code "${stand_in_exit_code} + 1")
  add_library(stand_in_${dll} SHARED tests/tools/stand_in_dll.c)
  target_compile_definitions(stand_in_${dll} PRIVATE STAND_IN_EXIT_CODE=${stand_in_exit_code})
  set_target_properties(stand_in_${dll} PROPERTIES OUTPUT_NAME ${dll} PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/stand-in-dlls ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/stand-in-dlls/lib)
  if(MINGW)
    target_link_options(stand_in_${dll} PRIVATE -static-libgcc)
  endif()
endforeach()

# Stand-ins for System32 DLLs whose driver-backed call never returns (the test
# tests/e2e/stuck_driver.sh puts one into its prefix's System32).
foreach(dll dxgi powrprof)
  add_library(blocking_${dll} SHARED tests/tools/blocking_dll.c)
  set_target_properties(blocking_${dll} PROPERTIES OUTPUT_NAME ${dll} PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/blocking-dlls ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/blocking-dlls/lib)
  if(MINGW)
    target_link_options(blocking_${dll} PRIVATE -static-libgcc)
  endif()
endforeach()
