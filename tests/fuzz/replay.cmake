# The short replay of every fuzz corpus, part of `make test` and `make unit`:
# each harness linked with a driver that runs every corpus file once, under the
# native build's ASan and UBSan. `make fuzz` builds the same harnesses with
# libFuzzer (tests/fuzz/CMakeLists.txt).
include(${CMAKE_SOURCE_DIR}/tests/fuzz/harnesses.cmake)
add_custom_target(fuzz_replays)
foreach(harness ${qd_fuzz_harnesses})
  add_executable(replay_${harness} ${CMAKE_SOURCE_DIR}/tests/fuzz/${harness}.cpp
                 ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
  target_link_libraries(replay_${harness} PRIVATE qd_portable)
  add_dependencies(fuzz_replays replay_${harness})
  add_test(NAME fuzz_replay_${harness} COMMAND replay_${harness} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${harness})
  set_tests_properties(fuzz_replay_${harness} PROPERTIES LABELS unit)
endforeach()
