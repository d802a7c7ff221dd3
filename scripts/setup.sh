#!/usr/bin/env bash
# Installs what building and testing Wispel needs on Debian 12. Quick when all is there:
# it only asks apt when a package is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 curl libxml2-dev
  # The whole-process benchmark's second peer.
  libpugixml-dev
  # The HTTP benchmark's in-memory peer.
  libcurl4-openssl-dev
  # SQLite: the table store benchmarks' peer.
  libsqlite3-dev
  # TLS for https (the HTTP client's secure intercept) and the system's trust store.
  libssl-dev ca-certificates
  # Compressed replies (gzip, deflate), inflated by the HTTP client.
  zlib1g-dev
  # The window program: Qt 6 Widgets with its code generators (moc, uic, rcc), the SVG
  # plugins that draw our icons, and fonts for the offscreen platform its tests run on.
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins fonts-dejavu-core
  # The package: icon pictures drawn from the SVG, the run-time dependencies computed, and
  # the checks of its desktop entry and its software-centre metadata.
  librsvg2-bin dpkg-dev file desktop-file-utils appstream
  # A decimal-comma locale, so the tests show numbers meaning the same under it.
  locales
)
# Extra packages a caller needs (for example the window program's toolkit).
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The decimal-comma locale is made once; later runs find it in the list.
installed_locales=$(locale -a 2>/dev/null || true)
if ! grep -qix 'de_DE\.utf-\?8' <<<"$installed_locales"; then
  echo "setup: generating the de_DE.UTF-8 locale" >&2
  "${as_root[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen ||
    echo 'de_DE.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  "${as_root[@]}" locale-gen
fi
