#!/usr/bin/env bash
# Installs the Debian packages a script of the project needs: with apt-get when run as root,
# otherwise it says what to install and fails. Usage: scripts/install_packages.sh WHO PACKAGE...
set -euo pipefail
who=$1
shift
[ $# -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
  echo "$who: installing $*"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "$@" >/dev/null
else
  echo "$who: please install these packages first: $*" >&2
  echo "       for example: sudo apt-get install $*" >&2
  exit 1
fi
