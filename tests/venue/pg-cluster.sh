#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the venue tests: loopback and a Unix socket only, fsync off, a
# random port, owned by the unprivileged "postgres" account when run as root (initdb refuses root).
#   pg-cluster.sh available          exit 0 when the server binaries are installed
#   pg-cluster.sh create DIR         initdb + start; prints the port
#   pg-cluster.sh stop-immediate DIR crash stop (no shutdown checkpoint)
#   pg-cluster.sh start DIR          start again on the same port (crash recovery)
#   pg-cluster.sh destroy DIR        stop and delete the folder
#   pg-cluster.sh tls DIR CN... [-- CN...]  make a CA, server and door certificates (those after -- revoked,
#                                    in a CRL) with openssl and turn TLS on
set -euo pipefail

pgbin() {
    local bin
    bin=$(pg_config --bindir 2>/dev/null || true)
    if [ -x "$bin/initdb" ]; then echo "$bin"; return; fi
    for d in /usr/lib/postgresql/15/bin /usr/lib/postgresql/*/bin; do
        if [ -x "$d/initdb" ]; then echo "$d"; return; fi
    done
    return 1
}

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

cmd=${1:-}
dir=${2:-}
case "$cmd" in
available)
    pgbin >/dev/null && { [ "$(id -u)" -ne 0 ] || id postgres >/dev/null 2>&1; }
    ;;
create)
    bin=$(pgbin)
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir"; fi
    chmod 0755 "$dir"
    port=$(free_port)
    as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust --no-sync -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
    printf "listen_addresses = '127.0.0.1'\nport = %s\nunix_socket_directories = '%s'\nfsync = off\nmax_connections = 300\n" \
        "$port" "$dir" >>"$dir/data/postgresql.conf"
    # Loopback only, whatever the packaged defaults say.
    printf "local all all trust\nhost all all 127.0.0.1/32 trust\n" >"$dir/data/pg_hba.conf"
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 30 start >/dev/null
    echo "$port"
    ;;
stop-immediate)
    as_owner "$(pgbin)/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null
    ;;
start)
    as_owner "$(pgbin)/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 30 start >/dev/null
    ;;
destroy)
    as_owner "$(pgbin)/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
tls)
    pki="$dir/pki"
    mkdir -p "$pki"
    cd "$pki"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kestrin Test CA" -keyout ca.key -out ca.crt 2>/dev/null
    openssl req -new -newkey rsa:2048 -nodes -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
        -keyout server.key -out server.csr 2>/dev/null
    openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 -copy_extensions copy \
        -out server.crt 2>/dev/null
    shift 2
    # Door certificates; those named after "--" are made and then revoked.
    printf "[ca]\ndefault_ca = test\n[test]\ndatabase = index.txt\ncrlnumber = crlnumber\ndefault_md = sha256\ndefault_crl_days = 2\ncertificate = ca.crt\nprivate_key = ca.key\n" >ca.cnf
    : >index.txt
    echo 01 >crlnumber
    revoke=0
    for cn in "$@"; do
        if [ "$cn" = "--" ]; then revoke=1; continue; fi
        openssl req -new -newkey rsa:2048 -nodes -subj "/CN=$cn" -keyout "$cn.key" -out "$cn.csr" 2>/dev/null
        openssl x509 -req -in "$cn.csr" -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 -out "$cn.crt" 2>/dev/null
        chmod 0600 "$cn.key"
        if [ "$revoke" -eq 1 ]; then openssl ca -config ca.cnf -revoke "$cn.crt" 2>/dev/null; fi
    done
    openssl ca -config ca.cnf -gencrl -out crl.pem 2>/dev/null
    cp server.crt server.key ca.crt crl.pem "$dir/data/"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir/data/server.crt" "$dir/data/server.key" "$dir/data/ca.crt" "$dir/data/crl.pem"; fi
    chmod 0600 "$dir/data/server.key"
    printf "ssl = on\nssl_cert_file = 'server.crt'\nssl_key_file = 'server.key'\nssl_ca_file = 'ca.crt'\nssl_crl_file = 'crl.pem'\n" >>"$dir/data/postgresql.conf"
    # Doors log in over TLS with a certificate whose CN is doorN.<venue role>; the map gives the role.
    printf "local all all trust\nhostssl all all 127.0.0.1/32 cert map=station\n" >"$dir/data/pg_hba.conf"
    printf 'station /^door[0-9]+\\.(.*)$ \\1\n' >"$dir/data/pg_ident.conf"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir/data/pg_hba.conf" "$dir/data/pg_ident.conf"; fi
    as_owner "$(pgbin)/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 30 restart >/dev/null
    ;;
*)
    echo "usage: pg-cluster.sh available|create|stop-immediate|start|destroy|tls DIR [CN...]" >&2
    exit 2
    ;;
esac
