#!/usr/bin/env bash
# A private PC/SC daemon with one virtual reader, for tests. It never disturbs a daemon the
# machine runs: its own socket in a temporary folder, its own reader port.
#
#   pcsc-rig.sh start STATE [PORT]  starts the daemon; its virtual reader waits for the card on
#                                   PORT (default: a free one) and PORT+1; STATE (a file) records
#                                   folder, pid, socket and port, STATE.env the client's variables
#   pcsc-rig.sh stop STATE          stops the daemon, keeps its folder
#   pcsc-rig.sh restart STATE       stops the daemon if it runs and starts it again in the same
#                                   folder, on the same socket path and port: to its clients
#                                   and its card the reader is taken away and comes back
#   pcsc-rig.sh destroy STATE       stops it and removes its folder and STATE
#
# The daemon always listens on its built-in socket path, whatever the environment says; handed
# a listening socket the way a service manager hands one over (LISTEN_FDS), it serves that one
# instead. It still writes its built-in pid file: the machine daemon's file is put back.
set -euo pipefail

command=${1:-}
state=${2:-}
[ -n "$command" ] && [ -n "$state" ] || {
    echo "usage: $0 start|stop|restart|destroy STATE [PORT]" >&2
    exit 2
}
state=$(realpath -m "$state")
machine_pid_file=/run/pcscd/pcscd.pid

command -v pcscd >/dev/null && [ -f /usr/lib/pcsc/drivers/serial/libifdvpcd.so ] || {
    echo "pcsc-rig: pcscd or the virtual reader driver is missing (scripts/setup.sh installs them)" >&2
    exit 1
}

recorded() {
    sed -n "s/^$1=//p" "$state" 2>/dev/null
}

port_free() {
    [ -z "$(ss -Hltn "sport = :$1")" ]
}

# The driver takes two ports, one per virtual slot.
pick_port() {
    local port
    for _ in $(seq 200); do
        port=$((20000 + RANDOM % 10000))
        if port_free "$port" && port_free $((port + 1)); then
            echo "$port"
            return
        fi
    done
    echo "pcsc-rig: no free port" >&2
    exit 1
}

# Puts back the machine daemon's pid file when ours took its place.
restore_pid_file() {
    local saved=$1/machine-pid
    [ -s "$saved" ] || return 0
    local pid
    pid=$(tr -dc 0-9 <"$saved")
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        cp "$saved" "$machine_pid_file"
    fi
}

stop_daemon() {
    local pid dir
    pid=$(recorded pid)
    dir=$(recorded dir)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && grep -q pcscd "/proc/$pid/comm" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    [ -z "$dir" ] || restore_pid_file "$dir"
}

check_ports() {
    port_free "$1" && port_free $(($1 + 1)) || {
        echo "pcsc-rig: port $1 or $(($1 + 1)) is taken" >&2
        exit 1
    }
}

# Runs the daemon of folder $1 on the card port $2, records it in STATE and exits: 0 once its
# virtual reader waits for the card; otherwise with the daemon's log shown and the rig destroyed.
launch() {
    local dir=$1 port=$2 socket=$1/pcscd.comm pid
    rm -f "$dir/machine-pid"
    [ ! -f "$machine_pid_file" ] || cp "$machine_pid_file" "$dir/machine-pid"
    # An earlier daemon's socket stays behind it; the new one takes the same path, which the
    # clients keep.
    rm -f "$socket"
    # The listening socket goes to the daemon as descriptor 3, in the same process, so
    # LISTEN_PID names the daemon itself.
    perl -MIO::Socket::UNIX -MPOSIX -MFcntl -e '
        my $path = shift @ARGV;
        my $listener = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => $path, Listen => 64)
            or die "pcsc-rig: cannot listen on $path: $!\n";
        chmod 0666, $path;
        POSIX::dup2(fileno($listener), 3) unless fileno($listener) == 3;
        open(my $three, "<&=", 3) or die "pcsc-rig: no descriptor 3\n";
        fcntl($three, F_SETFD, 0) or die "pcsc-rig: descriptor 3 stays closed on exec\n";
        $ENV{LISTEN_FDS} = 1;
        $ENV{LISTEN_PID} = $$;
        exec @ARGV or die "pcsc-rig: cannot run pcscd: $!\n";
    ' "$socket" pcscd -f -c "$dir/readers" </dev/null >>"$dir/log" 2>&1 &
    pid=$!
    printf 'dir=%s\npid=%s\nsocket=%s\nport=%s\n' "$dir" "$pid" "$socket" "$port" >"$state"
    printf 'PCSCLITE_CSOCK_NAME=%s\nSTATION_VPCD_PORT=%s\n' "$socket" "$port" >"$state.env"
    for _ in $(seq 200); do
        if ss -Hltnp "sport = :$port" | grep -q "pid=$pid,"; then
            restore_pid_file "$dir"
            echo "pcsc-rig: daemon $pid on $socket, virtual reader on port $port"
            exit 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "pcsc-rig: the daemon did not come up; its log:" >&2
    cat "$dir/log" >&2
    bash "$0" destroy "$state"
    exit 1
}

case "$command" in
start)
    bash "$0" destroy "$state"
    port=${3:-$(pick_port)}
    check_ports "$port"
    dir=$(mktemp -d /tmp/station-pcsc.XXXXXX)
    mkdir "$dir/readers"
    printf 'FRIENDLYNAME "Virtual PCD"\nDEVICENAME   /dev/null:0x%X\nLIBPATH      %s\nCHANNELID    0x%X\n' \
        "$port" /usr/lib/pcsc/drivers/serial/libifdvpcd.so "$port" >"$dir/readers/vpcd"
    launch "$dir" "$port"
    ;;
restart)
    [ -f "$state" ] && dir=$(recorded dir) && port=$(recorded port) && [ -n "$port" ] &&
        [ -d "$dir/readers" ] || {
        echo "pcsc-rig: no daemon recorded in $state" >&2
        exit 1
    }
    stop_daemon
    check_ports "$port"
    launch "$dir" "$port"
    ;;
stop)
    [ -f "$state" ] || {
        echo "pcsc-rig: no daemon recorded in $state" >&2
        exit 1
    }
    stop_daemon
    ;;
destroy)
    if [ -f "$state" ]; then
        stop_daemon
        dir=$(recorded dir)
        case "$dir" in /tmp/station-pcsc.*) rm -rf "$dir" ;; esac
        rm -f "$state" "$state.env"
    fi
    ;;
*)
    echo "pcsc-rig: unknown command $command" >&2
    exit 2
    ;;
esac
