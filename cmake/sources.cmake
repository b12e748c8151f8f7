# What each target is built from, listed by hand so that this file says what
# goes into the program. Paths are relative to the source root, given as
# `qd_root` by the includer (the top-level build and the fuzz build).
# Sorted: the link order is this order, and the exe's bytes depend on it.

# Portable code: builds on any platform, natively for the unit tests and with
# mingw-w64 for the program.
set(portable_sources
  src/checks/display.cpp
  src/checks/finding.cpp
  src/checks/graphics.cpp
  src/checks/memory.cpp
  src/checks/pacing.cpp
  src/checks/processor.cpp
  src/checks/scan_types.cpp
  src/checks/settings.cpp
  src/checks/storage.cpp
  src/checks/text.cpp
  src/checks/unicode.cpp
  src/gui/colors.cpp
  src/gui/layout.cpp
  src/gui/phases.cpp
  src/kit/machine_record.cpp
  src/link/report_link.cpp
)

# The Win32 layer: the readers, the worker, the window and its actions.
set(win32_sources
  src/checks/deadline_win.cpp
  src/checks/display_win.cpp
  src/checks/graphics_win.cpp
  src/checks/memory_win.cpp
  src/checks/processor_win.cpp
  src/checks/registry_win.cpp
  src/checks/scan_win.cpp
  src/checks/settings_win.cpp
  src/checks/storage_win.cpp
  src/gui/announce_win.cpp
  src/gui/controls_win.cpp
  src/gui/fonts_win.cpp
  src/gui/hand_off_win.cpp
  src/gui/paint_win.cpp
  src/gui/theme_win.cpp
  src/gui/title_bar_win.cpp
  src/gui/ui_thread_win.cpp
  src/gui/window_state_win.cpp
  src/gui/window_win.cpp
  src/link/browser_win.cpp
)

# The program's entry, one file of its own: the exe and its test build.
set(program_entry src/gui/main_win.cpp)

# The field kit, quellix-report.exe: the readers run once, with every answer
# recorded, or replayed from a record. Its Win32 part is shared with the tests.
set(field_kit_sources src/kit/field_scan_win.cpp)
set(field_kit_entry src/kit/quellix_report_win.cpp)

# Unit tests of the portable code: native, and again built with mingw-w64.
set(unit_tests
  tests/unit/colors_test.cpp
  tests/unit/display_test.cpp
  tests/unit/finding_test.cpp
  tests/unit/graphics_test.cpp
  tests/unit/layout_test.cpp
  tests/unit/machine_record_test.cpp
  tests/unit/memory_test.cpp
  tests/unit/pacing_test.cpp
  tests/unit/phases_test.cpp
  tests/unit/processor_test.cpp
  tests/unit/report_link_test.cpp
  tests/unit/scan_types_test.cpp
  tests/unit/settings_test.cpp
  tests/unit/storage_test.cpp
  tests/unit/text_test.cpp
  tests/unit/unicode_test.cpp
)

# Tests of the Win32 layer, run under Wine.
set(win_tests
  tests/win/announce_win_test.cpp
  tests/win/controls_win_test.cpp
  tests/win/display_win_test.cpp
  tests/win/fonts_win_test.cpp
  tests/win/graphics_win_test.cpp
  tests/win/hand_off_win_test.cpp
  tests/win/hardware_probes_test.cpp
  tests/win/icon_resource_test.cpp
  tests/win/field_scan_win_test.cpp
  tests/win/memory_win_test.cpp
  tests/win/owned_test.cpp
  tests/win/paint_win_test.cpp
  tests/win/registry_test.cpp
  tests/win/scan_win_test.cpp
  tests/win/scan_worker_test.cpp
  tests/win/settings_probes_test.cpp
  tests/win/settings_win_test.cpp
  tests/win/storage_win_test.cpp
  tests/win/system_dll_test.cpp
  tests/win/theme_win_test.cpp
  tests/win/title_bar_win_test.cpp
  tests/win/ui_thread_win_test.cpp
  tests/win/window_state_win_test.cpp
  tests/win/window_win_test.cpp
)

# Small Windows programs the tests and the benchmarks run under Wine, one
# source each.
set(windows_tools
  tests/tools/fake_scan_window.cpp
  tests/tools/winspy.cpp
  tools/bench_probes.cpp
  tools/bench_startup.cpp
  tools/minimal_window.cpp
)

# End-to-end scripts: the real exe under Wine in Xvfb.
set(e2e_scripts
  tests/e2e/absent_reasons.sh
  tests/e2e/bench_startup.sh
  tests/e2e/closing.sh
  tests/e2e/dpi_layout.sh
  tests/e2e/field_kit.sh
  tests/e2e/high_contrast.sh
  tests/e2e/open_failed.sh
  tests/e2e/planted_dlls.sh
  tests/e2e/scan_runs.sh
  tests/e2e/screen_reader.sh
  tests/e2e/stuck_driver.sh
  tests/e2e/window_actions.sh
)

foreach(list portable_sources win32_sources program_entry field_kit_sources field_kit_entry unit_tests win_tests windows_tools e2e_scripts)
  list(TRANSFORM ${list} PREPEND ${qd_root}/)
endforeach()
