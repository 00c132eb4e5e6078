# The number of parallel jobs of the build and of the tests: $Z3080_JOBS, or
# the machine's cores when it is not set. Sourced by build.sh and test.sh.
z3080_jobs="${Z3080_JOBS:-$(nproc)}"
case "$z3080_jobs" in
  '' | *[!0-9]* | 0*)
    echo "Z3080_JOBS must be a whole number of jobs above 0, not '${Z3080_JOBS}'" >&2
    exit 2
    ;;
esac
