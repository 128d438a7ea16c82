#!/usr/bin/env bash
# Records what kx4200-cli prints for every command and its main variants, so that
# a change meant to keep behaviour can be checked byte for byte:
#
#   tests/cli/cli_outputs.sh build/src/cli/kx4200-cli /tmp/cli-before   # at the old commit
#   tests/cli/cli_outputs.sh build/src/cli/kx4200-cli /tmp/cli-after    # at the new one
#   diff -r /tmp/cli-before /tmp/cli-after
#
# For each case NAME the folder gets NAME.out, NAME.err and NAME.status, and
# NAME.files for what the case wrote (text files whole, images and PDFs as
# checksums). A third argument names kx4200-sim (default: beside the tool's build
# folder); with it, the failure cases run against a misbehaving simulated unit.
#
# Wall-clock time is masked: printed date-times, trace time stamps, the PDF's
# creation date and the BCD times inside downloaded .bin files (the simulated
# unit dates its groups from now). Its measurement noise has a fixed seed.
set -u

if [[ $# -lt 2 ]]; then
  echo "usage: $0 PATH/TO/kx4200-cli OUTPUT-FOLDER [PATH/TO/kx4200-sim]" >&2
  exit 2
fi
cli=$(realpath "$1")
out=$(realpath -m "$2")
sim=${3:-$(dirname "$cli")/../sim/kx4200-sim}
here=$(cd "$(dirname "$0")" && pwd)
data=$(realpath "$here/../data")

mkdir -p "$out"
if [[ -n "$(ls -A "$out")" ]]; then
  echo "$0: $out is not empty" >&2
  exit 2
fi
scratch=$(mktemp -d)
sim_pid=
trap '[[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null; rm -rf "$scratch"' EXIT

export TZ=CST-8 LC_ALL=C.UTF-8 TMPDIR=$scratch/tmp
mkdir -p "$TMPDIR" "$scratch/work"

# Date-times in the forms the tool prints them (unless mask_time is 0: cases
# whose times come from a file or the command line), trace stamps, scratch paths.
mask_time=1
normalise() {
  local times='s/[0-9]{4}-[0-9]{2}-[0-9]{2}[ T][0-9]{2}:[0-9]{2}:[0-9]{2}(\.[0-9]{3}|[+-][0-9]{2}:[0-9]{2})?/<time>/g'
  [[ $mask_time == 1 ]] || times='s/^$//'
  sed -E \
    -e "$times" \
    -e 's/[0-9]+年-[0-9]+月-[0-9]+日-[0-9]+时-[0-9]+分-[0-9]+秒/<device-time>/g' \
    -e 's/^[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} (TX|RX)/<stamp> \1/' \
    -e "s#$scratch/work/##g" \
    -e "s#$data/#<data>/#g" \
    -e "s#$scratch#<scratch>#g" \
    -e 's#kx4200-sim-[A-Za-z0-9]{6}#kx4200-sim-X#g'
}

# A curve file with the 7 BCD time bytes of every point record zeroed.
masked_bin_sum() {
  perl -0777 -ne '
    my $n = length($_) > 4 ? ord(substr($_, 4, 1)) : 0;
    for my $k (0 .. $n - 1) {
      my $at = 5 + 89 * $k;
      substr($_, $at, 7) = "\0" x 7 if $at + 7 <= length($_);
    }
    print' "$1" | md5sum | cut -d' ' -f1
}

describe_files() {
  local f name
  for f in $(cd "$scratch/work" && find . -type f | sort); do
    name=${f#./}
    case $name in
      *.png) echo "== $name md5 $(md5sum <"$scratch/work/$name" | cut -d' ' -f1)" ;;
      *.pdf)
        echo "== $name md5 $(perl -0777 -pe 's{/CreationDate \(D:[^)]*\)}{/CreationDate (D:0)}g' \
          "$scratch/work/$name" | md5sum | cut -d' ' -f1)" ;;
      *.bin)
        echo "== $name $(stat -c %s "$scratch/work/$name") bytes, masked md5 $(masked_bin_sum "$scratch/work/$name")" ;;
      *)
        echo "== $name"
        normalise <"$scratch/work/$name" ;;
    esac
  done
}

# run NAME ARGS...: one case, in an empty working folder; the tool runs under
# the command in prefix, if any.
prefix=()
run() {
  local name=$1
  shift
  rm -rf "$scratch/work" && mkdir -p "$scratch/work"
  (cd "$scratch/work" && "${prefix[@]}" "$cli" "$@" >"$scratch/stdout" 2>"$scratch/stderr" </dev/null)
  echo $? >"$out/$name.status"
  normalise <"$scratch/stdout" >"$out/$name.out"
  normalise <"$scratch/stderr" >"$out/$name.err"
  local files
  files=$(describe_files)
  [[ -n $files ]] && printf '%s\n' "$files" >"$out/$name.files"
  return 0
}

S=--simulate
bin250=$data/curves_250points.bin

# ---------------------------------------------------------------- help and usage
run help --help
run help-short -h
run no-arguments
run unknown-command $S frobnicate
run unknown-global-option --frob version
for c in acquire clock groups download clear version set-address set-baud gear calibrate alarms export ports scan \
  analyze report monitor; do
  run "help-$c" "$c" --help
done
run help-after-globals $S --address 3 gear --help
run help-before-command --help version
run help-short-after-command version -h
run help-with-bad-global version --help --address 300

# ---------------------------------------------------------------- global options
run global-address $S --address 7 version
run global-baud $S --baud 38400 version
run global-after-command $S version --address 12 --json
run global-json $S --json version
run global-trace $S --trace version
run global-trace-acquire $S --trace acquire
run bad-address $S --address 300 version
run bad-address-negative $S --address -1 version
run bad-baud $S --baud 1234 version
run bad-baud-text $S --baud fast version
run bad-com --com 0 version
run simulate-and-port $S --port /dev/null version
run simulate-and-com $S --com 2 version
run port-and-com --port /dev/null --com 2 version
run missing-port --port "$scratch/no-such-port" version
run missing-com --com 99 version
run not-a-tty --port /dev/null version
run unknown-option $S version --frob
run other-commands-option $S version --csv x.csv
run missing-option-value $S acquire --count
run option-with-equals $S acquire --count=2 --period=0
run export-ignores-simulate-and-port $S --port /dev/null export "$data/curves_empty.bin"
run export-port-and-com --port /dev/null --com 2 export "$data/curves_empty.bin"
run ports-with-simulate $S --com 2 ports

# ---------------------------------------------------------------- acquire
run acquire $S acquire
run acquire-range $S acquire --current-range 500
run acquire-count $S acquire --count 3 --period 0
run acquire-count-csv $S acquire --count 2 --period 10 --csv live.csv
run acquire-csv $S acquire --csv live.csv
run acquire-json $S --json acquire
run acquire-json-count $S --json acquire --count 2 --period 0
run acquire-bad-count $S acquire --count -1
run acquire-bad-period $S acquire --period soon
run acquire-bad-range $S acquire --current-range 0
run acquire-extra $S acquire now
run acquire-csv-unwritable $S acquire --csv no/such/dir/live.csv

# ---------------------------------------------------------------- clock
run clock-get $S clock get
run clock-get-json $S --json clock get
run clock-set-now $S clock set
mask_time=0
run clock-set-time $S clock set --time "2014-05-06 09:03:07"
run clock-set-time-t $S clock set --time "2014-5-6T9:03:07"
run clock-set-json $S --json clock set --time "2014-12-31 23:59:59"
run clock-set-bad-time $S clock set --time "2014-02-30 10:00:00"
run clock-set-bad-form $S clock set --time yesterday
run clock-get-with-time $S clock get --time "2014-05-06 09:03:07"
mask_time=1
run clock-no-verb $S clock
run clock-bad-verb $S clock show

# ---------------------------------------------------------------- curve groups
run groups $S groups
run groups-json $S --json groups
run groups-extra $S groups 1
run download $S download 2
run download-files $S download 1 -o g.bin --csv g.csv
run download-output-long $S download 3 --output g3.bin
run download-json $S --json download 1 --csv g.csv
run download-missing-group $S download 9
run download-zero $S download 0
run download-text $S download two
run download-no-group $S download
run download-unwritable $S download 1 -o no/such/dir/g.bin
run clear-unconfirmed $S clear
run clear $S clear --yes
run clear-json $S --json clear --yes

# ---------------------------------------------------------------- identity and settings
run version $S version
run version-extra $S version 2
run set-address $S set-address 5
run set-address-json $S --json --address 2 set-address 255
run set-address-range $S set-address 300
run set-address-text $S set-address 12abc
run set-address-none $S set-address
run set-baud $S set-baud 38400
run set-baud-json $S --json set-baud 1200
run set-baud-bad $S set-baud 1234
run gear-get $S gear get
run gear-get-json $S --json gear get
run gear-set $S gear set 6V
run gear-set-lower $S gear set 12v
run gear-set-json $S --json gear set 2V
run gear-set-bad $S gear set 5V
run gear-set-missing $S gear set
run gear-bad-verb $S gear show
run gear-none $S gear
for ch in cell-2v cell-6v cell-12v total-2v total-6v total-12v temp current; do
  run "calibrate-$ch" $S calibrate "$ch" 1
done
run calibrate-point-2 $S calibrate total-6v 2
run calibrate-json $S --json calibrate temp 2
run calibrate-bad-channel $S calibrate volts 1
run calibrate-bad-point $S calibrate temp 3
run calibrate-missing-point $S calibrate temp

# ---------------------------------------------------------------- monitor
# Two units on one simulated line; the alarm word is read in the first cycle.
run monitor $S monitor --unit 1:1 --unit 1:2=east --count 2 --period 0
run monitor-json $S --json monitor --unit 1:1 --count 2 --period 0
run monitor-csv $S monitor --unit 1:1 --count 2 --period 0 --csv .
run monitor-no-unit $S monitor --count 1

# ---------------------------------------------------------------- alarms
run alarms-get $S alarms get
run alarms-get-json $S --json alarms get
run alarms-set-volt $S alarms set volt on 60 40
run alarms-set-volt-off $S alarms set volt off
run alarms-set-current $S alarms set current on -20
run alarms-set-temp1 $S alarms set temp1 on 55 -10
run alarms-set-temp2-off $S alarms set temp2 off
run alarms-set-temp3 $S alarms set temp3 on 70 0
run alarms-set-json $S --json alarms set current off
run alarms-set-missing-values $S alarms set current on
run alarms-set-too-many $S alarms set volt on 1 2 3
run alarms-set-range $S alarms set temp2 on 200 0
run alarms-set-negative-volt $S alarms set volt on -1 0
run alarms-set-bad-switch $S alarms set volt maybe
run alarms-set-bad-setting $S alarms set power on 1
run alarms-bad-verb $S alarms show
run alarms-none $S alarms

# ---------------------------------------------------------------- export
mask_time=0
run export-csv export "$bin250" --csv out.csv
run export-png export "$bin250" --png out.png
run export-pdf export "$bin250" --pdf out.pdf
run export-all export "$bin250" --csv out.csv --png out.png --pdf out.pdf
run export-json --json export "$bin250"
run export-with-simulate $S export "$bin250"
run export-empty export "$data/curves_empty.bin" --csv out.csv
run export-truncated export "$data/curves_broken_truncated.bin" --csv out.csv
run export-short export "$data/curves_broken_short.bin"
run export-missing export "$scratch/missing.bin" --csv out.csv
run export-unwritable export "$bin250" --csv no/such/dir/out.csv
run export-no-file export
mask_time=1

# ---------------------------------------------------------------- ports and scan
run ports ports
run ports-json --json ports
run ports-extra ports 1
run scan $S scan --addresses 0-2 --bauds 9600
run scan-single $S --address 4 scan --addresses 4 --bauds 9600,19200 --wait 100
run scan-json $S --json scan --addresses 0-1 --bauds 9600
run scan-none $S --address 9 scan --addresses 5-6 --bauds 9600 --wait 50
run scan-bad-range $S scan --addresses 9-3
run scan-bad-range-form $S scan --addresses all
run scan-bad-bauds $S scan --bauds 9600,1234
run scan-empty-bauds $S scan --bauds ,
run scan-bad-wait $S scan --wait 0
run scan-extra $S scan 3

# ---------------------------------------------------------------- a misbehaving unit
# kx4200-sim with one fault on every reply; the tool reaches it by --port.
fault_cases() {
  local f=$1
  run "fault-$f-version" --port "$port" version
  run "fault-$f-acquire" --port "$port" acquire
  run "fault-$f-acquire-count" --port "$port" acquire --count 2 --period 0 --csv live.csv
  run "fault-$f-acquire-json" --port "$port" --json acquire
  run "fault-$f-monitor" monitor --unit "$port=u" --count 2 --period 0
  run "fault-$f-monitor-json" --json monitor --unit "$port=u" --count 2 --period 0
  run "fault-$f-clock-get" --port "$port" clock get
  run "fault-$f-clock-set" --port "$port" clock set --time "2014-05-06 09:03:07"
  run "fault-$f-groups" --port "$port" groups
  run "fault-$f-download" --port "$port" download 1 -o g.bin
  run "fault-$f-clear" --port "$port" clear --yes
  run "fault-$f-gear-get" --port "$port" gear get
  run "fault-$f-gear-set" --port "$port" --json gear set 6V
  run "fault-$f-calibrate" --port "$port" calibrate temp 1
  run "fault-$f-alarms-get" --port "$port" alarms get
  run "fault-$f-alarms-set" --port "$port" alarms set temp1 on 55 -10
  # Last: the unit may take the new address or rate although its reply is bad.
  run "fault-$f-set-address" --port "$port" set-address 5
  run "fault-$f-set-baud" --port "$port" set-baud 19200
}

if [[ -x $sim ]]; then
  for fault in checksum short silence oversize; do
    # Gone first, so that the wait below never reads the previous unit's port.
    rm -f "$scratch/sim.out"
    "$sim" --fault "$fault" >"$scratch/sim.out" 2>"$scratch/sim.err" &
    sim_pid=$!
    port=
    for _ in $(seq 100); do
      port=$(head -n1 "$scratch/sim.out" 2>/dev/null)
      [[ -n $port ]] && break
      sleep 0.05
    done
    if [[ -z $port ]]; then
      echo "$0: kx4200-sim did not start" >&2
      exit 1
    fi
    if [[ $fault == checksum ]]; then
      # Another program holds the port.
      prefix=(flock "$port")
      run port-in-use --port "$port" version
      prefix=()
    fi
    if [[ $fault == oversize ]]; then
      run fault-oversize-download --port "$port" download 1 -o g.bin --csv g.csv
    else
      fault_cases "$fault"
    fi
    kill "$sim_pid"
    wait "$sim_pid" 2>/dev/null
    sim_pid=
  done
else
  echo "$0: no kx4200-sim at $sim; the failure cases are left out" >&2
fi

echo "$(ls "$out" | wc -l) files in $out"
