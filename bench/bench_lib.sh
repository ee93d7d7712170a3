# Helpers of the whole-run benchmarks, sourced by run_bench.sh and share_bench.sh. They expect
# $work (a temporary folder with times/, rss/ and out/) and report failures under the script's name.

# Installs through apt-get the package of each "command:package" pair whose command is missing.
bench_install() {
  local missing=() pair sudo_cmd=()
  for pair in "$@"; do command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}"); done
  ((${#missing[@]})) || return 0
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Runs a command (in the folder $run_in, when set), adds its wall time in seconds to times/<name>
# and its peak memory (KiB) to rss/<name>; its output goes to out/<name>.{out,err}. A command
# that fails ends the benchmark.
measure() {
  local name=$1 start end
  shift
  start=$EPOCHREALTIME
  (cd "${run_in:-.}" && exec /usr/bin/time -f %M -o "$work/rss.last" "$@") \
    > "$work/out/$name.out" 2> "$work/out/$name.err" ||
    { echo "${0##*/}: '$name' failed:" >&2; cat "$work/out/$name.err" >&2; exit 1; }
  end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }' >> "$work/times/$name"
  tail -1 "$work/rss.last" >> "$work/rss/$name"
}

# The main module that a run starts must be gone (reaped) before the next run: a next run would
# end it, and might meet it as a process that cannot be ended.
wait_main_module_gone() {
  for _ in $(seq 250); do
    grep -qx 'QOR7.exe' /proc/[0-9]*/comm 2>/dev/null || break
    sleep 0.02
  done
}

median() { sort -g "$work/times/$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_mib() { sort -g "$work/rss/$1" | tail -1 | awk '{ printf "%.1f", $1 / 1024 }'; }
calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
