# Sourced by ./check: run_suite NAME BUILD-DIR CMAKE-ARGS... configures and
# builds the tree in the working folder into BUILD-DIR and runs its CTest
# suite. Uses $jobs; sets status=1 on any failure.
run_suite() {
  local name=$1 dir=$2
  shift 2
  echo "== $name: configure and build"
  # Tests on whatever the cache says: ./play configures build/ without them.
  if ! cmake -S . -B "$dir" "$@" -DPARVANE_TESTS=ON >/dev/null || ! cmake --build "$dir" -j"$jobs"; then
    echo "== $name: BUILD FAILED"
    status=1
    return
  fi
  echo "== $name: tests"
  # A suite that finds no test has not passed.
  if ! (cd "$dir" && ctest --no-tests=error --output-on-failure -j"$jobs" --timeout 900); then
    echo "== $name: TESTS FAILED"
    status=1
  fi
}
