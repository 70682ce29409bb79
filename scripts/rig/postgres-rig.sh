#!/usr/bin/env bash
# A throw-away PostgreSQL cluster on a Unix socket in a temporary folder, for tests and benchmarks.
# It never touches a cluster the machine runs: no TCP port unless asked for, its own socket
# folder. As root the server runs as the postgres user, which refuses to run as root.
#
#   postgres-rig.sh start STATE   makes a cluster and starts it; STATE (a file) gets its folder
#                                 and STATE.conninfo the libpq connection text to reach it
#   postgres-rig.sh start STATE PORT  the same, listening on TCP 127.0.0.1:PORT too, which
#                                 STATE.conninfo names (for a test in a network namespace of its
#                                 own, whose loopback it can cut)
#   postgres-rig.sh stop STATE    stops the server, keeps the cluster
#   postgres-rig.sh resume STATE  starts a stopped server again
#   postgres-rig.sh pause STATE   stops the server's processes (SIGSTOP): connections stay, answers
#                                 do not come
#   postgres-rig.sh continue STATE lets paused processes run on
#   postgres-rig.sh destroy STATE stops it and removes the cluster and STATE
set -euo pipefail

command=${1:-}
state=${2:-}
[ -n "$command" ] && [ -n "$state" ] || {
    echo "usage: $0 start|stop|resume|pause|continue|destroy STATE [PORT]" >&2
    exit 2
}
port=${3:-}
if [ -n "$port" ]; then
    [ "$command" = start ] && [[ "$port" =~ ^[1-9][0-9]{0,4}$ ]] && [ "$port" -le 65535 ] || {
        echo "postgres-rig: a PORT from 1 to 65535 goes with start only" >&2
        exit 2
    }
fi

# The server's programs run as another user, who may not enter the caller's folder.
state=$(realpath -m "$state")
cd /

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$bin/pg_ctl" ] || {
    echo "postgres-rig: no PostgreSQL server installed (scripts/setup.sh installs it)" >&2
    exit 1
}

as_server() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

folder() {
    [ -f "$state" ] || {
        echo "postgres-rig: no cluster recorded in $state" >&2
        exit 1
    }
    cat "$state"
}

# signal_server SIGNAL: the server and every process it started.
signal_server() {
    local pid
    pid=$(head -1 "$(folder)/data/postmaster.pid" 2>/dev/null) || return 0
    kill "-$1" "$pid" $(pgrep -P "$pid") 2>/dev/null || true
}

start_server() {
    local dir=$1
    as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 60 \
        -o "-k $dir -c fsync=on -c max_connections=100" start >/dev/null
}

case "$command" in
start)
    # A cluster left by a run that was killed goes first.
    bash "$0" destroy "$state"
    # A short path: a Unix socket path holds at most 107 bytes.
    dir=$(mktemp -d /tmp/station-pg.XXXXXX)
    chmod 755 "$dir"
    user=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        chown postgres: "$dir"
        user=postgres
    fi
    as_server "$bin/initdb" -D "$dir/data" -A trust -E UTF8 --locale=C.UTF-8 -U "$user" >"$dir/initdb.log" 2>&1 || {
        cat "$dir/initdb.log" >&2
        exit 1
    }
    echo "$dir" >"$state"
    # In the cluster's settings, so that resume listens where start did.
    if [ -n "$port" ]; then
        printf "listen_addresses = '127.0.0.1'\nport = %s\n" "$port" >>"$dir/data/postgresql.conf"
    else
        echo "listen_addresses = ''" >>"$dir/data/postgresql.conf"
    fi
    start_server "$dir"
    if [ -n "$port" ]; then
        echo "host=127.0.0.1 port=$port user=$user dbname=postgres" >"$state.conninfo"
    else
        echo "host=$dir user=$user dbname=postgres" >"$state.conninfo"
    fi
    echo "postgres-rig: server running on $dir"
    ;;
stop)
    dir=$(folder)
    as_server "$bin/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null
    ;;
resume)
    start_server "$(folder)"
    ;;
pause)
    signal_server STOP
    ;;
continue)
    signal_server CONT
    ;;
destroy)
    if [ -f "$state" ]; then
        signal_server CONT
        dir=$(cat "$state")
        as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 60 stop >/dev/null 2>&1 || true
        case "$dir" in /tmp/station-pg.*) rm -rf "$dir" ;; esac
        rm -f "$state" "$state.conninfo"
    fi
    ;;
*)
    echo "postgres-rig: unknown command $command" >&2
    exit 2
    ;;
esac
