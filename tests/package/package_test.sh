#!/usr/bin/env bash
# The Debian package packed by CPack from the build tree that is there (nothing is
# compiled again) into a temporary folder, unpacked and tried: every file it should
# hold, the unpacked programs, its dependencies, and lintian where it is installed.
#   package_test.sh BUILD-DIR
set -euo pipefail
# The package holds file names in UTF-8 (Picture/采集.ICO), which the archiver can
# only read in a UTF-8 locale, whatever the caller's LANG names.
export LC_ALL=C.UTF-8
build=$1
if ! command -v dpkg-deb >/dev/null || ! command -v cpack >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
  echo "dpkg-deb, dpkg-shlibdeps or cpack missing: skipped"
  exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$build" && cpack -G DEB -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; exit 1; }
deb=$(ls "$tmp"/cpack/kx4200_*.deb)
dpkg-deb -x "$deb" "$tmp/root"
fail=0
for f in bin/kx4200 bin/kx4200-cli bin/kx4200-sim share/applications/kx4200.desktop \
         share/bash-completion/completions/kx4200-cli share/man/man1/kx4200.1.gz share/man/man1/kx4200-cli.1.gz \
         share/man/man1/kx4200-sim.1.gz share/icons/hicolor/48x48/apps/kx4200.png share/doc/kx4200/copyright \
         share/doc/kx4200/changelog.gz share/doc/kx4200/README.md kx4200/monitor-example.conf \
         systemd/system/kx4200-monitor@.service; do
  if [ -z "$(find "$tmp/root" -path "*/$f" -print -quit)" ]; then
    echo "missing from the package: $f"
    fail=1
  fi
done
pictures=$(find "$tmp/root" -path '*/kx4200/Picture/*' -type f | wc -l)
[ "$pictures" -ge 7 ] || { echo "the Picture folder holds $pictures files, 7 expected"; fail=1; }
cli=$(find "$tmp/root" -path '*/bin/kx4200-cli' -print -quit)
"$cli" --version | grep -Eq '^kx4200-cli [0-9]+\.[0-9]+\.[0-9]+' || { echo "kx4200-cli --version"; fail=1; }
"$cli" --simulate --lang zh acquire >"$tmp/acquire.out" || { echo "kx4200-cli --simulate acquire failed"; fail=1; }
grep -q '^电池1 ' "$tmp/acquire.out" || { echo "no reading from the unpacked kx4200-cli"; fail=1; }
depends=$(dpkg-deb -f "$deb" Depends)
for d in fonts-arphic-uming fonts-dejavu-core libqt6core6 libqt6widgets6; do
  case "$depends" in *"$d"*) ;; *) echo "Depends lacks $d: $depends"; fail=1 ;; esac
done
if command -v lintian >/dev/null; then
  # Errors fail the test; the build tree's own flags (sanitizers, no hardening) may draw warnings.
  # lintian's own scratch files go into the test's folder too.
  if TMPDIR="$tmp" lintian "$deb" 2>/dev/null | grep '^E:'; then fail=1; fi
fi
exit $fail
