# Sourced by the scripts of tools/ and bench/:
#   install_missing PACKAGE...
# installs with apt-get those of the Debian packages that are not installed
# yet, as root or through sudo; the package lists are read once per run.
# Where there is no dpkg it names the packages and goes on.

tarvo_apt_updated=0

install_missing() {
  if ! command -v dpkg-query >/dev/null; then
    echo "No dpkg here: make sure these (Debian's names) are installed: $*" >&2
    return 0
  fi
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  if ((!tarvo_apt_updated)); then
    "${sudo[@]}" apt-get update -qq
    tarvo_apt_updated=1
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
