# Sourced by the scripts that run the checking build: every finding of AddressSanitizer or
# UndefinedBehaviorSanitizer stops the program with a report and a failure status. Leaks are
# reported too. scripts/asan.supp and scripts/lsan.supp list what the system's libraries do.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ASAN_OPTIONS="suppressions=$here/asan.supp:abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
