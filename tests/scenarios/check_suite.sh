# ./check's suites on a tiny project: a build folder that ./play configured
# with tests off still runs its tests, and a suite that finds no test fails
# instead of passing quietly.
set -euo pipefail
: "${SRC:?source tree}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$SRC/scripts/suite.bash"
jobs=1

project() {  # folder, then the CMake lines that add its tests
  mkdir -p "$work/$1"
  printf '%s\n' 'cmake_minimum_required(VERSION 3.20)' 'project(t NONE)' \
    'option(PARVANE_TESTS "" ON)' 'if(PARVANE_TESTS)' 'enable_testing()' "$2" 'endif()' \
    > "$work/$1/CMakeLists.txt"
}

project one 'add_test(NAME ran COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/ran)'
cd "$work/one"
cmake -S . -B build -DPARVANE_TESTS=OFF >/dev/null
status=0
run_suite probe build >/dev/null 2>&1
[ -e build/ran ] || { echo "FAIL: the suite kept the tests off that the cache had" >&2; exit 1; }
[ "$status" = 0 ] || { echo "FAIL: a passing suite was reported failed" >&2; exit 1; }

project none ''
cd "$work/none"
status=0
run_suite probe build >/dev/null 2>&1
[ "$status" = 1 ] || { echo "FAIL: a suite without a single test passed" >&2; exit 1; }
echo ok
