#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz, libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, in build-fuzz) and runs each of them.
#
#   scripts/fuzz.sh SECONDS [TARGET...]   each target that long, its corpus kept in build-fuzz/corpus
#   scripts/fuzz.sh --runs N [TARGET...]  each target for N inputs (what ./test.sh does), from the seeds only
#
# An input that crashes, reads out of bounds, trips a check or runs longer
# than 10 s fails the run; it is kept in build-fuzz/artifacts. Copy it into
# tests/fuzz/corpus/<target>/ once it is fixed, so every build replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: $0 SECONDS [TARGET...] | --runs N [TARGET...]" >&2; exit 2; }
[ $# -ge 1 ] || usage
if [ "$1" = "--runs" ]; then
  [ $# -ge 2 ] || usage
  mode=runs budget=$2
  shift 2
else
  mode=time budget=$1
  shift
fi
[[ $budget =~ ^[0-9]+$ ]] && [ "$budget" -gt 0 ] || usage

if ! command -v clang++ >/dev/null || ! compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; then
  echo "fuzz: clang with libFuzzer is not installed (clang, libclang-rt-14-dev); no fuzzing" >&2
  exit 0
fi

all=(SettingsRecord CategoryFile SiteFile DontKill DayFile Shortcut MarkerRequest MarkerReply CommandLine CodePage
  OpenFeatures OpenPages Preferences FilterList)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

# Largest input per target: a few dozen records for the record files, more
# than a protocol line for the marker, a long command line.
max_len() {
  case $1 in
    SettingsRecord) echo 4096 ;;
    CategoryFile | SiteFile | DontKill | DayFile) echo 65536 ;;
    MarkerRequest | MarkerReply) echo 16384 ;;
    *) echo 8192 ;;
  esac
}
# The targets that write files per input run fewer of them in a short run.
short_runs() {
  case $1 in
    CategoryFile | SiteFile) echo $((budget / 8 > 0 ? budget / 8 : 1)) ;;
    *) echo "$budget" ;;
  esac
}

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKELVORNAX_FUZZ=ON \
  -DSKELVORNAX_SANITIZE=ON -DSKELVORNAX_WERROR=ON -DSKELVORNAX_TESTS=OFF -DSKELVORNAX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_all >/dev/null

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
scratch=$(mktemp -d /tmp/skelvornax-fuzz-run.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/artifacts
failed=0
for t in "${targets[@]}"; do
  seeds=tests/fuzz/corpus/$t
  [ -d "$seeds" ] || { echo "fuzz: no target $t" >&2; exit 2; }
  if [ $mode = runs ]; then
    corpus=$scratch/$t
    limit=(-runs="$(short_runs "$t")")
  else
    corpus=build-fuzz/corpus/$t
    limit=(-max_total_time="$budget")
  fi
  mkdir -p "$corpus"
  log=$scratch/$t.log
  if build-fuzz/tests/fuzz/fuzz_"$t" "$corpus" "$seeds" "${limit[@]}" -max_len="$(max_len "$t")" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t-" >"$log" 2>&1; then
    runs=$(awk '/stat::number_of_executed_units/ { print $2 }' "$log")
    echo "fuzz: $t $runs runs, corpus $(find "$corpus" -type f | wc -l) + $(find "$seeds" -type f | wc -l) seeds"
  else
    failed=1
    echo "fuzz: $t FAILED" >&2
    grep -E "check failed|ERROR|runtime error|SUMMARY|Test unit written" "$log" | head -n 12 >&2 || tail -n 20 "$log" >&2
  fi
done
exit $failed
