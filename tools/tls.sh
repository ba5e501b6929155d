#!/usr/bin/env bash
# tls.sh: the https side of the local web, with Debian's openssl and stunnel4.
#   ca BUILD_DIR                   makes the build tree's certificate
#                                  authority once (BUILD_DIR/tls)
#   trust PREFIX LOADER BUILD_DIR  trusts that authority in the "Root" store
#                                  of a private Wine prefix (never the
#                                  machine's own store)
#   start BUILD_DIR NAME FRONT...  starts a TLS front named NAME; each FRONT
#                                  is ADDRESS:KIND:PORT[:NAMES]: port 443 of
#                                  ADDRESS serves TLS, and the plain HTTP
#                                  behind it comes from PORT of the same
#                                  address; NAMES (comma-separated) are more
#                                  DNS names a good certificate carries
#   stop BUILD_DIR NAME            stops that front
# KIND is the certificate a front shows: good (the authority's, naming the
# address), expired, wrong-name (the authority's, for another name) or
# self-signed (outside the authority). Wine matches the server name against
# a certificate's DNS names only, so each names its address both as a DNS
# name and as an IP address.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=tools/wine-env.sh
. "$here/tools/wine-env.sh"

ca_dir() { printf '%s/tls' "$1"; }

make_ca() {
  local dir; dir=$(ca_dir "$1")
  [ -f "$dir/ca.der" ] && return 0
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/ca.key" -out "$dir/ca.pem" -days 3650 \
    -subj "/CN=Pellmark local web authority" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  openssl genrsa -out "$dir/site.key" 2048 2>/dev/null
  openssl x509 -in "$dir/ca.pem" -outform der -out "$dir/ca.der"
}

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

trust_ca() {
  local prefix=$1 loader=$2 build=$3
  make_ca "$build"
  (wine_env "$prefix" "$loader"
   "$loader" "$build/bin/trust_ca.exe" "$(windows_path "$(ca_dir "$build")/ca.der")" </dev/null)
}

# A signing set-up for "openssl ca", which alone can date a certificate in
# the past (for the expired kind).
ca_config() {
  local state=$1
  mkdir -p "$state/issued"
  : > "$state/index.txt"
  [ -f "$state/serial" ] || printf '1000\n' > "$state/serial"
  cat > "$state/ca.cnf" <<CNF
[ca]
default_ca = local
[local]
database = $state/index.txt
new_certs_dir = $state/issued
serial = $state/serial
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
CNF
}

# issue BUILD STATE ADDRESS KIND OUT.pem [NAMES]: certificate and key in one file.
issue() {
  local build=$1 state=$2 address=$3 kind=$4 out=$5 names=${6:-} dir name san dates=()
  dir=$(ca_dir "$build")
  name=$address san="DNS:$address,IP:$address"
  [ -n "$names" ] && san="$san,DNS:${names//,/,DNS:}"
  [ "$kind" = wrong-name ] && name=another-name.invalid san="DNS:another-name.invalid"
  printf 'subjectAltName=%s\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' "$san" > "$state/$address.ext"
  if [ "$kind" = self-signed ]; then
    openssl req -x509 -key "$dir/site.key" -subj "/CN=$name" -days 825 \
      -addext "subjectAltName=$san" -out "$state/$address.crt" 2>/dev/null
  else
    openssl req -new -key "$dir/site.key" -subj "/CN=$name" -out "$state/$address.csr" 2>/dev/null
    if [ "$kind" = expired ]; then dates=(-startdate 20200101000000Z -enddate 20210101000000Z); else dates=(-days 825); fi
    openssl ca -batch -notext -config "$state/ca.cnf" -cert "$dir/ca.pem" -keyfile "$dir/ca.key" \
      -extfile "$state/$address.ext" "${dates[@]}" -in "$state/$address.csr" -out "$state/$address.crt" 2>/dev/null
  fi
  cat "$state/$address.crt" "$dir/site.key" > "$out"
}

start_front() {
  local build=$1 name=$2; shift 2
  local state="$build/tls/front-$name" front address kind port names
  stop_front "$build" "$name"
  make_ca "$build"
  mkdir -p "$state"
  ca_config "$state"
  {
    printf 'foreground = no\npid = %s/stunnel.pid\noutput = %s/stunnel.log\n' "$state" "$state"
    for front in "$@"; do
      IFS=: read -r address kind port names <<<"$front"
      issue "$build" "$state" "$address" "$kind" "$state/$address.pem" "$names"
      printf '[%s]\naccept = %s:443\nconnect = %s:%s\ncert = %s/%s.pem\n' \
        "$address" "$address" "$address" "$port" "$state" "$address"
    done
  } > "$state/stunnel.conf"
  stunnel4 "$state/stunnel.conf"
  for _ in $(seq 1 100); do
    [ -s "$state/stunnel.pid" ] && { echo "tls.sh: front $name serves $# addresses"; return 0; }
    sleep 0.1
  done
  cat "$state/stunnel.log" >&2 || true
  echo "tls.sh: stunnel did not start" >&2; return 1
}

stop_front() {
  local state="$1/tls/front-$2" pid
  [ -s "$state/stunnel.pid" ] || return 0
  pid=$(cat "$state/stunnel.pid")
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  rm -f "$state/stunnel.pid"
}

action=${1:-}; shift || true
case "$action" in
  ca) make_ca "$1" ;;
  trust) trust_ca "$1" "$2" "$3" ;;
  start) start_front "$@" ;;
  stop) stop_front "$1" "$2" ;;
  *) echo "usage: tls.sh ca BUILD_DIR | trust PREFIX LOADER BUILD_DIR | start BUILD_DIR NAME ADDRESS:KIND:PORT... | stop BUILD_DIR NAME" >&2; exit 2 ;;
esac
