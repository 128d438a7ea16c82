#!/usr/bin/env bash
# Records what the monitor publishes to an MQTT broker (state, availability, status,
# discovery) and prints, against two simulated units, so that a change meant to keep
# behaviour can be checked byte for byte:
#
#   tests/monitor/mqtt_outputs.sh build/src/cli/kx4200-cli OLD.txt   # at the old commit
#   tests/monitor/mqtt_outputs.sh build/src/cli/kx4200-cli NEW.txt   # at the new one
#   diff OLD.txt NEW.txt
#
# Needs mosquitto and mosquitto_sub; the broker listens on a free loopback port.
# Wall-clock times and the port are masked.
set -u
if [[ $# -ne 2 ]]; then
  echo "usage: $0 PATH/TO/kx4200-cli OUTPUT-FILE" >&2
  exit 2
fi
cli=$(realpath "$1")
out=$(realpath -m "$2")
scratch=$(mktemp -d)
broker_pid= sub_pid=
trap '[[ -n $sub_pid ]] && kill "$sub_pid" 2>/dev/null; [[ -n $broker_pid ]] && kill "$broker_pid" 2>/dev/null; rm -rf "$scratch"' EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\n' "$port" >"$scratch/broker.conf"
mosquitto -c "$scratch/broker.conf" >"$scratch/broker.log" 2>&1 &
broker_pid=$!
sleep 0.5
mosquitto_sub -h 127.0.0.1 -p "$port" -t '#' -v >"$scratch/messages" 2>&1 &
sub_pid=$!
sleep 0.5

export TZ=CST-8 LC_ALL=C.UTF-8 TMPDIR=$scratch
"$cli" --simulate monitor --unit 1:1 --unit 1:2=east --count 3 --period 0 --alarms-every 2 --instance test \
  --mqtt "127.0.0.1:$port" >"$scratch/stdout" 2>"$scratch/stderr"
echo "status $?" >>"$scratch/stdout"
sleep 1  # the last messages reach the subscriber

sed -E -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}[ T][0-9]{2}:[0-9]{2}:[0-9]{2}(\.[0-9]{3}|[+-][0-9]{2}:[0-9]{2})?/<time>/g' \
  -e "s/$port/<port>/g" "$scratch/messages" "$scratch/stdout" "$scratch/stderr" >"$out"
