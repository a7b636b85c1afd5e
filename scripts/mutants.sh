#!/usr/bin/env bash
# Mutation testing of the money and trust paths: applies each mutation of scripts/mutants.list
# (a file, an exact original text, its replacement) to the source, one at a time, rebuilds what
# it touches in build-mutants/ and runs the suites named for it. A mutant is "killed" when a test
# fails (or times out), "survived" when every test passes, "no build" when it does not compile,
# and "not applicable" when its original text is no longer found exactly once. The source is
# restored after each mutant, also when the run is interrupted.
#   bash scripts/mutants.sh [--only REGEX] [--jobs N] [--test-jobs N] [--list]
# Prints one line per mutant and the kill rate (killed / (killed + survived)); the same report
# goes to build-mutants/mutants-report.txt. Exits non-zero when the unmutated suites fail.
# CPU heavy: it runs niced; --jobs 1 when others share the machine. --test-jobs (three times
# --jobs by default) is how many tests run at once: most of their time is spent waiting on the
# simulator and on poll intervals, not on a core.
set -euo pipefail
cd "$(dirname "$0")/.."

list=scripts/mutants.list
build=build-mutants
only=""
jobs="$(nproc)"
test_jobs=""
list_only=0
while [ $# -gt 0 ]; do
  case "$1" in
  --only) only="${2:?--only needs a regular expression}"; shift 2 ;;
  --jobs) jobs="${2:?--jobs needs a number}"; shift 2 ;;
  --test-jobs) test_jobs="${2:?--test-jobs needs a number}"; shift 2 ;;
  --list) list_only=1; shift ;;
  -h | --help) sed -n '2,14p' "$0"; exit 0 ;;
  *) echo "mutants.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

# The entries of the list as records "name<TAB>file<TAB>suites"; their texts go to files, one
# pair per entry, so that no character of the source needs quoting.
work="$(mktemp -d)"
# The source under mutation is copied aside and put back by restore(), on every way out.
current=""
restore() {
  if [ -n "$current" ]; then
    cat "$work/original" >"$current"  # a fresh time stamp, so the next build recompiles it
    current=""
  fi
}
finish() {
  local status=$?
  restore
  rm -rf "$work"
  exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP
names=() files=() suites=()
parse_list() {
  local line key value n=-1
  while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in '#'* | '') continue ;; esac
    key="${line%%[[:space:]]*}"
    value="${line#"$key"}"
    value="${value#"${value%%[![:space:]]*}"}"
    value="${value%"${value##*[![:space:]]}"}"
    case "$key" in
    mutant) n=$((n + 1)); names[n]="$value"; files[n]=""; suites[n]=""
      : >"$work/from.$n"; : >"$work/to.$n" ;;
    file) files[n]="$value" ;;
    suites) suites[n]="$value" ;;
    from) printf '%s' "$value" >"$work/from.$n" ;;
    to) printf '%s' "$value" >"$work/to.$n" ;;
    *) echo "mutants.sh: $list: unknown key '$key'" >&2; exit 2 ;;
    esac
  done <"$list"
}
parse_list

# Counts the occurrences of from.N in FILE (0, 1, or 2 for "more than one").
occurrences() {
  perl -e 'local $/; open(my $f, "<", $ARGV[0]) or exit 3; my $s = <$f>;
           open(my $p, "<", $ARGV[1]) or exit 3; my $t = <$p>; $t = "" unless defined $t;
           exit 3 if $t eq ""; my $n = () = $s =~ /\Q$t\E/g; print($n > 2 ? 2 : $n);' "$1" "$2"
}
# Writes FILE with the one occurrence of from.N replaced by to.N.
mutate() {
  perl -e 'local $/; open(my $f, "<", $ARGV[0]) or die; my $s = <$f>; close $f;
           open(my $p, "<", $ARGV[1]) or die; my $from = <$p>; close $p;
           open(my $q, "<", $ARGV[2]) or die; my $to = <$q>; close $q; $to = "" unless defined $to;
           my $at = index($s, $from); die "not found" if $at < 0;
           substr($s, $at, length($from)) = $to;
           open(my $o, ">", $ARGV[0]) or die; print $o $s; close $o or die;' "$1" "$2" "$3"
}

selected=()
for i in "${!names[@]}"; do
  if [ -z "$only" ] || [[ "${names[i]}" =~ $only ]] || [[ "${files[i]}" =~ $only ]]; then selected+=("$i"); fi
done
if [ "$list_only" = 1 ]; then
  for i in "${selected[@]}"; do
    state="ok"
    if [ ! -f "${files[i]}" ] || [ "$(occurrences "${files[i]}" "$work/from.$i")" != 1 ]; then state="not applicable"; fi
    printf '%-15s %-26s %-12s %s\n' "$state" "${files[i]}" "${suites[i]}" "${names[i]}"
  done
  exit 0
fi

# The suites' programs: CTest label -> build targets.
targets_of() {
  local label
  for label in "$@"; do
    case "$label" in
    ui) printf '%s\n' ui_tests ui_widget_tests ;;
    *) printf '%s\n' "${label}_tests" ;;
    esac
  done
}

all_suites=()
for i in "${selected[@]}"; do
  for s in ${suites[i]}; do
    [[ " ${all_suites[*]} " == *" $s "* ]] || all_suites+=("$s")
  done
done
[ "${#all_suites[@]}" -gt 0 ] || { echo "mutants.sh: no mutant selected" >&2; exit 2; }

# A tree of its own: one source file per unit, so a mutant recompiles one file; -O1 and no
# debug information, the programs the suites start, and nothing else. Warnings stay warnings: a
# mutant that leaves a variable unused is judged by the tests, not by the compiler.
nice -n 19 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -DNDEBUG" \
  -DAGORAN_WERROR=OFF -DAGORAN_UNITY_BATCH=1 -DAGORAN_BUILD_UI=OFF -DAGORAN_BUILD_BENCH=OFF \
  -DAGORAN_TEST_DIRS="$(IFS=';'; echo "${all_suites[*]}")" >/dev/null
build_suites() {
  # shellcheck disable=SC2046
  nice -n 19 ninja -C "$build" -j"$jobs" $(targets_of "$@") >"$work/build.log" 2>&1
}
run_suites() {
  local labels
  labels="^($(IFS='|'; echo "$*"))\$"
  nice -n 19 ctest --test-dir "$build" -L "$labels" -j"${test_jobs:-$((jobs * 3))}" --timeout 300 --stop-on-failure \
    --output-on-failure >"$work/test.log" 2>&1
}

echo "mutants.sh: building and running the unmutated suites (${all_suites[*]})"
if ! build_suites "${all_suites[@]}"; then
  tail -n 40 "$work/build.log" >&2
  echo "mutants.sh: the unmutated tree does not build" >&2
  exit 1
fi
if ! run_suites "${all_suites[@]}"; then
  grep -A20 'The following tests FAILED' "$work/test.log" >&2 || tail -n 40 "$work/test.log" >&2
  echo "mutants.sh: the unmutated suites fail; fix them first" >&2
  exit 1
fi

report="$build/mutants-report.txt"
killed=0 survived=0 nobuild=0 skipped=0
lines=()
started=$SECONDS
for i in "${selected[@]}"; do
  file="${files[i]}" name="${names[i]}"
  count=0
  if [ -f "$file" ]; then count="$(occurrences "$file" "$work/from.$i")"; fi
  if [ "$count" != 1 ]; then
    outcome="not applicable"
    skipped=$((skipped + 1))
  else
    cp "$file" "$work/original"
    current="$file"
    mutate "$file" "$work/from.$i" "$work/to.$i"
    # shellcheck disable=SC2086
    if ! build_suites ${suites[i]}; then
      outcome="no build"
      nobuild=$((nobuild + 1))
    # shellcheck disable=SC2086
    elif run_suites ${suites[i]}; then
      outcome="survived"
      survived=$((survived + 1))
    else
      failed="$(sed -n '/The following tests FAILED/,$p' "$work/test.log" | grep -m1 -E '[0-9]+ - ' |
        sed -E 's/^[[:space:]]*[0-9]+ - //; s/ \(.*//' || true)"
      outcome="killed${failed:+ by $failed}"
      killed=$((killed + 1))
    fi
    restore
  fi
  line="$(printf '%-16s %-26s %s' "${outcome%% by *}" "$file" "$name")"
  [[ "$outcome" == *" by "* ]] && line+="  (${outcome#* by })"
  lines+=("$line")
  echo "$line"
done

judged=$((killed + survived))
{
  printf '%s\n' "${lines[@]}"
  echo
  echo "mutants: ${#selected[@]}; killed $killed, survived $survived, no build $nobuild, not applicable $skipped"
  if [ "$judged" -gt 0 ]; then
    echo "kill rate: $killed of $judged ($((killed * 1000 / judged / 10)).$((killed * 1000 / judged % 10))%)"
  fi
  if [ "$survived" -gt 0 ]; then
    echo "survivors:"
    printf '%s\n' "${lines[@]}" | grep '^survived' | sed 's/^survived */  /'
  fi
  echo "time: $((SECONDS - started)) s"
} >"$report.tmp"
mv "$report.tmp" "$report"
echo
sed -n '/^mutants:/,$p' "$report"
