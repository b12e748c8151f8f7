# The fuzz harnesses, one per input family: tests/fuzz/<name>.cpp with its
# corpus in tests/fuzz/corpus/<name>/.
set(qd_fuzz_harnesses firmware drive_replies registry_text text report_link selection pacing layout)
