#!/bin/bash
# How long one quillcast-send takes to program a plant of encoders, against one encoder alone.
#
#   bench/plant.sh [BUILD_DIR]          (default: build; needs its tools/ programs)
#
# (a) 50 encoders on 1200 baud lines (one quillcast-encoder-sim --count 50 --line-rate 1200, on
#     pseudo-terminals) behind ser2net: 25 raw TCP ports and 25 RFC 2217 ports. One list of all
#     50 is sent by one `quillcast-send --encoders LIST.ini FILE.qcf`; the time is compared with
#     the slower of one raw and one RFC 2217 encoder sent alone with --device (all the encoders
#     are alike, so the slowest alone is the slower kind of port). Goal: at most 1.2 times.
# (b) 500 encoders from one simulator over TCP (--count 500 --tcp 0 --line-rate 1200: 1200 baud
#     lines behind device servers), one list sent by one quillcast-send, against encoder 1 sent
#     alone. Goal: at most 1.5 times. The peak memory (max RSS) of quillcast-send is printed.
# (c) 3000 local encoders (one quillcast-encoder-sim --count 3000 --line-rate 1200, on
#     pseudo-terminals), one list sent by one quillcast-send with its default --jobs, against
#     encoder 1 sent alone. Every encoder must be programmed; the ratio and the peak memory are
#     printed. The load average is printed with each part: figures of a busy machine say so.
#
# Everything listens on 127.0.0.1 only, and every process the script starts is stopped when it
# ends, however it ends. Exit status: 0 the figures were printed, 1 a set-up step failed, 2 a
# send failed, 3 the quillcast-send at hand has no --encoders (everything up to that call was
# set up and checked, and the single-encoder runs were timed).
#
# Environment: PLANT_QCF the configuration to send (default tests/data/inserted.qcf: every
# packet, 22 commands), PLANT_A, PLANT_B and PLANT_C the three plant sizes (50, 500 and 3000).

set -u
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd) || exit 1
sim=$build/tools/quillcast-encoder-sim
send=$build/tools/quillcast-send
qcf=${PLANT_QCF:-$here/tests/data/inserted.qcf}
countA=${PLANT_A:-50}
countB=${PLANT_B:-500}
countC=${PLANT_C:-3000}
work=$(mktemp -d "${TMPDIR:-/tmp}/quillcast-plant.XXXXXX")
pids=()

stop_all() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    pids=()
    rm -rf "$work"
}
trap stop_all EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "plant: $*" >&2
    exit 1
}

for program in "$sim" "$send"; do
    [ -x "$program" ] || fail "$program is missing: build it first"
done
[ -r "$qcf" ] || fail "$qcf cannot be read"
command -v ser2net >/dev/null || fail "ser2net is not installed"
# Hundreds of connections: every process started here may use all the descriptors it can have.
ulimit -n "$(ulimit -Hn)"

# Starts a simulator with the options given; waits for its N devices, one per line, in FILE.
start_sim() { # FILE N OPTIONS...
    local file=$1 n=$2
    shift 2
    : >"$file" # before the simulator starts: it may not have created it when first read
    "$sim" --count "$n" "$@" >"$file" 2>"$file.err" &
    pids+=($!)
    local tries=0
    while [ "$(wc -l <"$file")" -lt "$n" ]; do
        kill -0 "${pids[-1]}" 2>/dev/null || fail "simulator: $(cat "$file.err")"
        tries=$((tries + 1))
        [ $tries -lt 300 ] || fail "simulator: no $n devices after 30 s"
        sleep 0.1
    done
}

# N free TCP ports of 127.0.0.1 in a row, from 47000 up; prints the first.
free_ports() { # N
    local n=$1 base=47000 used
    used=$(ss -Htan 2>/dev/null | awk '{n = split($4, a, ":"); print a[n]}' | sort -nu)
    while [ $base -lt 64000 ]; do
        if ! awk -v lo=$base -v hi=$((base + n - 1)) '$1 >= lo && $1 <= hi {found = 1}
                END {exit !found}' <<<"$used"; then
            echo $base
            return
        fi
        base=$((base + n))
    done
    fail "no $n free ports in a row"
}

# Waits until every port of the list listens on 127.0.0.1.
await_listening() { # PORTS...
    local tries=0 port missing
    while :; do
        missing=0
        for port in "$@"; do
            ss -Htln "sport = :$port" | grep -q . || missing=1
        done
        [ $missing = 0 ] && return
        tries=$((tries + 1))
        [ $tries -lt 100 ] || fail "ports not listening after 10 s: $*"
        sleep 0.1
    done
}

# Runs quillcast-send with the arguments; sets seconds, peak_kb and status. Its traffic goes to
# the file $work/send-$runs.out.
runs=0
timed_send() { # ARGS...
    runs=$((runs + 1))
    local out=$work/send-$runs.out measure=$work/time-$runs
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -v -o "$measure" "$send" "$@" >"$out" 2>&1
        status=$?
        # "Elapsed (wall clock) time (h:mm:ss or m:ss): 0:12.34" and the peak resident size.
        seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0
                for (i = 1; i <= n; i++) s = s * 60 + t[i]; printf "%.2f", s}' "$measure")
        peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$measure")
    else
        # No time program: the clock and the high-water mark of the process, read until it ends.
        local start end pid hwm
        start=$(date +%s%N)
        "$send" "$@" >"$out" 2>&1 &
        pid=$!
        peak_kb=0
        while kill -0 $pid 2>/dev/null; do
            hwm=$(awk '/^VmHWM/ {print $2}' /proc/$pid/status 2>/dev/null)
            [ -n "$hwm" ] && peak_kb=$hwm
            sleep 0.02
        done
        wait $pid
        status=$?
        end=$(date +%s%N)
        seconds=$(awk -v ns=$((end - start)) 'BEGIN {printf "%.2f", ns / 1e9}')
    fi
    if [ $status != 0 ]; then
        echo "plant: quillcast-send $* ended with status $status; last lines:" >&2
        tail -n 3 "$out" | cut -c1-300 >&2
    fi
}

load() {
    echo "load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
}

has_encoders=0
"$send" --help 2>/dev/null | grep -q -- '--encoders' && has_encoders=1
jobs=()
"$send" --help 2>/dev/null | grep -q -- '--jobs' && jobs=(--jobs)

# The list of a plant: one section per encoder, each on a 1200 baud, odd parity, 7 bit line.
write_list() { # FILE DEVICES...
    local file=$1 i=0 device
    shift
    : >"$file"
    for device in "$@"; do
        i=$((i + 1))
        printf '[encoder-%03d]\ndevice=%s\nbaud=1200\nparity=O\ndata-bits=7\n\n' $i "$device" \
            >>"$file"
    done
    [ "$(grep -c '^\[' "$file")" = $# ] || fail "$file: not $# sections"
}

ratio() { # ALL ONE
    awk -v all="$1" -v one="$2" 'BEGIN {printf "%.2f", (one > 0 ? all / one : 0)}'
}

verdict() { # RATIO GOAL
    awk -v r="$1" -v g="$2" 'BEGIN {print (r <= g ? "goal met" : "goal missed") " (at most " g ")"}'
}

result=0

# (a) ---------------------------------------------------------------------------------------
echo "plant (a): $countA encoders at 1200 baud behind ser2net, sending $(basename "$qcf"); $(load)"
start_sim "$work/ptys" "$countA" --line-rate 1200
mapfile -t ptys <"$work/ptys"
base=$(free_ports "$countA")
half=$((countA / 2))
config=$work/ser2net.yaml
devices=()
ports=()
: >"$config"
for i in $(seq 0 $((countA - 1))); do
    port=$((base + i))
    ports+=($port)
    if [ $i -lt $half ]; then
        accepter="tcp,127.0.0.1,$port"
        devices+=("tcp://127.0.0.1:$port")
    else
        accepter="telnet(rfc2217),tcp,127.0.0.1,$port"
        devices+=("rfc2217://127.0.0.1:$port")
    fi
    printf 'connection: &enc%d\n  accepter: %s\n  connector: serialdev,%s,1200o71,local\n' \
        $((i + 1)) "$accepter" "${ptys[$i]}" >>"$config"
    printf '  options:\n    kickolduser: true\n\n' >>"$config"
done
ser2net -n -u -c "$config" -P "$work/ser2net.pid" >"$work/ser2net.out" 2>&1 &
pids+=($!)
await_listening "${ports[@]}"
# An RFC 2217 port greets with Telnet negotiation (IAC first); a raw one stays silent.
exec 3<>"/dev/tcp/127.0.0.1/${ports[$half]}" || fail "cannot connect to ${devices[$half]}"
greeting=$(timeout 3 head -c 3 <&3 | od -An -tx1 | tr -d ' \n')
exec 3<&-
[ "${greeting:0:2}" = ff ] || fail "${devices[$half]} does not negotiate: '$greeting'"
write_list "$work/plant-a.ini" "${devices[@]}"

line=(--baud 1200 --parity O --data-bits 7 "$qcf")
timed_send --device "${devices[0]}" "${line[@]}"
rawAlone=$seconds
[ $status = 0 ] || result=2
timed_send --device "${devices[$half]}" "${line[@]}"
rfcAlone=$seconds
rfcStatus=$status
if [ $rfcStatus = 0 ]; then
    echo "  alone: raw tcp ${rawAlone} s, rfc2217 ${rfcAlone} s"
else
    echo "  alone: raw tcp ${rawAlone} s, rfc2217 failed (status $rfcStatus): the raw time stands"
fi
slowest=$(awk -v a="$rawAlone" -v b="$rfcAlone" -v s=$rfcStatus 'BEGIN {print (s == 0 && b > a) ? b : a}')
if [ $has_encoders = 1 ]; then
    timed_send --encoders "$work/plant-a.ini" ${jobs[@]:+"${jobs[@]}" $countA} "$qcf"
    [ $status = 0 ] || result=2
    r=$(ratio "$seconds" "$slowest")
    echo "  all $countA: ${seconds} s, ${r} x the slowest alone (${slowest} s): $(verdict "$r" 1.2)"
else
    echo "  all $countA: not run, quillcast-send has no --encoders (list: $(grep -c '^\[' "$work/plant-a.ini") sections)"
fi
stop_all
work=$(mktemp -d "${TMPDIR:-/tmp}/quillcast-plant.XXXXXX")

# (b) ---------------------------------------------------------------------------------------
echo "plant (b): $countB encoders of one simulator over TCP, 1200 baud lines; $(load)"
start_sim "$work/addresses" "$countB" --tcp 0 --line-rate 1200
mapfile -t addresses <"$work/addresses"
write_list "$work/plant-b.ini" "${addresses[@]}"
timed_send --device "${addresses[0]}" "${line[@]}"
oneAlone=$seconds
[ $status = 0 ] || result=2
echo "  alone: ${oneAlone} s, peak memory ${peak_kb} KB"
if [ $has_encoders = 1 ]; then
    timed_send --encoders "$work/plant-b.ini" ${jobs[@]:+"${jobs[@]}" $countB} "$qcf"
    [ $status = 0 ] || result=2
    r=$(ratio "$seconds" "$oneAlone")
    echo "  all $countB: ${seconds} s, ${r} x one alone: $(verdict "$r" 1.5)"
    echo "  quillcast-send peak memory (max RSS): ${peak_kb} KB"
else
    echo "  all $countB: not run, quillcast-send has no --encoders (list: $(grep -c '^\[' "$work/plant-b.ini") sections)"
    echo "plant: $send has no --encoders: the plant runs were not made" >&2
    [ $result = 0 ] && result=3
fi
stop_all
work=$(mktemp -d "${TMPDIR:-/tmp}/quillcast-plant.XXXXXX")

# (c) ---------------------------------------------------------------------------------------
echo "plant (c): $countC local encoders on pseudo-terminals, 1200 baud lines; $(load)"
start_sim "$work/ptys" "$countC" --line-rate 1200
mapfile -t ptys <"$work/ptys"
write_list "$work/plant-c.ini" "${ptys[@]}"
timed_send --device "${ptys[0]}" "${line[@]}"
oneAlone=$seconds
[ $status = 0 ] || result=2
echo "  alone: ${oneAlone} s, peak memory ${peak_kb} KB"
if [ $has_encoders = 1 ]; then
    timed_send --encoders "$work/plant-c.ini" "$qcf" # the default --jobs
    [ $status = 0 ] || result=2
    programmed=$(grep -o "^[0-9]* of [0-9]* encoders programmed" "$work/send-$runs.out")
    r=$(ratio "$seconds" "$oneAlone")
    echo "  all $countC: ${seconds} s, ${r} x one alone; ${programmed:-no summary}; $(load)"
    echo "  quillcast-send peak memory (max RSS): ${peak_kb} KB"
else
    echo "  all $countC: not run, quillcast-send has no --encoders"
fi
exit $result
