#!/usr/bin/env bash
# Mutation check: does some test notice a plausible one-line fault?
#
#   scripts/mutate.sh [--list] [--only TEXT] [MUTANT-FILE]
#
# Each line of the mutant file (default scripts/mutants.txt) names a source
# file, a text in it and what to put in its place:
#
#   core/text.cpp: encoded += '+'; => encoded += "%20";
#
# The first occurrence of the text is replaced (a replacement may be empty, to
# drop a statement). For each mutant the tool applies it, rebuilds the native
# unit and thread tests in build/mutate, runs them (stopping at the first
# failing test), puts the file back and prints "killed" with the test that
# failed, or "survived". --list only shows where each mutant lands; --only
# runs the mutants whose line contains TEXT. Logs go to build/mutate/logs/;
# MUTATE_JOBS sets the build's parallel jobs (default 1). It takes some
# minutes and is not part of scripts/test.sh. The exit status is 0 when every
# mutant was killed. It changes this checkout's files while it runs: edit or
# commit nothing here meanwhile.
set -uo pipefail
shopt -u patsub_replacement 2>/dev/null || true  # "&" in a replacement stays "&"
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

list_only=0
only=""
mutants="scripts/mutants.txt"
while [ $# -gt 0 ]; do
  case "$1" in
    --list) list_only=1 ;;
    --only) only="${2:-}"; shift ;;
    -h|--help) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) mutants="$1" ;;
  esac
  shift
done
[ -f "$mutants" ] || { echo "mutate: no mutant file $mutants" >&2; exit 2; }

build="$root/build/mutate"
jobs="${MUTATE_JOBS:-1}"
mkdir -p "$build/logs"
backup="$build/original"
applied_marker="$build/applied"

# Puts back the file a mutant changed (also after Ctrl-C, an error, or a run
# that was killed outright: the marker names the file still to restore).
restore() {
  if [ -f "$applied_marker" ]; then
    local file
    file=$(cat "$applied_marker")
    cat "$backup" > "$root/$file" && rm -f "$applied_marker"
  fi
}
trap restore EXIT
trap 'restore; echo; echo "mutate: interrupted; the mutated file is back as it was"; exit 130' INT TERM
if [ -f "$applied_marker" ]; then
  echo "mutate: restoring $(cat "$applied_marker"), left mutated by an earlier run"
  restore
fi

# Splits "file: find => replace" into the globals m_file, m_find, m_repl.
parse() {
  local line=$1 rest
  m_file=${line%%: *}
  rest=${line#*: }
  m_find=${rest%% =>*}
  m_repl=${rest#* =>}
  m_repl=${m_repl# }
  [ "$m_file" != "$line" ] && [ "$m_find" != "$rest" ] && [ -n "$m_find" ]
}

# The file's text with the first occurrence of m_find replaced, in $mutated,
# and the line it is on, in $where; false when the text is not there.
mutate_text() {
  local text before
  text=$(cat "$root/$m_file"; printf x)
  text=${text%x}
  case "$text" in *"$m_find"*) ;; *) return 1 ;; esac
  before=${text%%"$m_find"*}
  where=$(( $(printf '%s' "$before" | wc -l) + 1 ))
  mutated=${text/"$m_find"/"$m_repl"}
}

# Runs one test binary; prints the failing (or crashing) test, if any.
run_tests() {
  local binary=$1 log=$2 status
  timeout 300 "$build/tests/$binary" --gtest_fail_fast --gtest_color=no >>"$log" 2>&1
  status=$?
  [ $status -eq 0 ] && return 0
  local failed
  failed=$(grep -m1 '^\[  FAILED  \] [A-Za-z_]' "$log" | sed 's/^\[  FAILED  \] //; s/ (.*//; s/, where .*//')
  if [ -z "$failed" ]; then
    failed="$(grep '^\[ RUN      \]' "$log" | tail -1 | sed 's/^\[ RUN      \] //')"
    if [ $status -eq 124 ]; then failed="$failed (timed out)"; else failed="$failed (exit $status)"; fi
  fi
  echo "$failed"
  return 1
}

if [ "$list_only" = 0 ]; then
  for tool in cmake ninja g++; do
    command -v "$tool" >/dev/null 2>&1 || { "$root/scripts/setup.sh"; break; }
  done
  echo "mutate: building build/mutate (-j$jobs) and checking the tests pass unmutated"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEMTRIX_BUILD_BENCH=OFF >"$build/logs/configure.log" 2>&1 ||
    { echo "mutate: configure failed, see $build/logs/configure.log" >&2; exit 2; }
  if ! cmake --build "$build" -j "$jobs" --target vemtrix_unit_tests vemtrix_thread_tests >"$build/logs/baseline.log" 2>&1; then
    echo "mutate: the unmutated build fails, see $build/logs/baseline.log" >&2
    exit 2
  fi
  for binary in vemtrix_unit_tests vemtrix_thread_tests; do
    if caught=$(run_tests "$binary" "$build/logs/baseline.log"); then :; else
      echo "mutate: the unmutated tests fail ($caught), see $build/logs/baseline.log" >&2
      exit 2
    fi
  done
fi

printf '%-3s %-9s %-34s %s\n' "#" "result" "where" "change / caught by"
n=0 ran=0 killed=0 survived=0 broken=0
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in ''|'#'*) continue ;; esac
  n=$((n + 1))  # numbered as in the file, so --only keeps --list's numbers
  [ -n "$only" ] && case "$line" in *"$only"*) ;; *) continue ;; esac
  ran=$((ran + 1))
  if ! parse "$line"; then
    printf '%-3s %-9s %s\n' "$n" "bad line" "$line"
    broken=$((broken + 1))
    continue
  fi
  if [ ! -f "$root/$m_file" ] || ! mutate_text; then
    printf '%-3s %-9s %-34s %s\n' "$n" "not found" "$m_file" "$m_find"
    broken=$((broken + 1))
    continue
  fi
  change="$m_find => ${m_repl:-(removed)}"
  if [ "$list_only" = 1 ]; then
    printf '%-3s %-9s %-34s %s\n' "$n" "" "$m_file:$where" "$change"
    continue
  fi

  log="$build/logs/mutant-$n.log"
  echo "$line" >"$log"
  cp "$root/$m_file" "$backup"
  echo "$m_file" >"$applied_marker"
  printf '%s' "$mutated" >"$root/$m_file"
  if ! cmake --build "$build" -j "$jobs" --target vemtrix_unit_tests vemtrix_thread_tests >>"$log" 2>&1; then
    result="no build" caught="(does not compile)"
    broken=$((broken + 1))
  else
    result="survived" caught=""
    for binary in vemtrix_unit_tests vemtrix_thread_tests; do
      if ! caught=$(run_tests "$binary" "$log"); then
        result="killed"
        break
      fi
    done
    if [ "$result" = killed ]; then killed=$((killed + 1)); else survived=$((survived + 1)); fi
  fi
  restore
  printf '%-3s %-9s %-34s %s\n' "$n" "$result" "$m_file:$where" "$change"
  [ -n "$caught" ] && printf '%-3s %-9s %-34s   caught by %s\n' "" "" "" "$caught"
done <"$mutants"

[ "$list_only" = 1 ] && exit $(( broken > 0 ))
echo "mutate: $ran mutants, $killed killed, $survived survived, $broken not applied or not built"
[ $survived -eq 0 ] && [ $broken -eq 0 ]
