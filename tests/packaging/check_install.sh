#!/usr/bin/env bash
# check_install.sh CMAKE BUILD_DIR SOURCE_DIR "PROGRAM;PROGRAM;..."
# Installs BUILD_DIR into a temporary prefix and checks what lands there. Validators that are
# not installed are skipped with a note; everything else is a hard check.
set -uo pipefail
cmake_bin=$1 build=$2 src=$3
IFS=';' read -r -a programs <<<"${4:-}"
app_id=io.github.velquor.Velquor
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need_file() { [ -f "$prefix/$1" ] || fail "missing $1"; }

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
if ! "$cmake_bin" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
  cat "$prefix.log"; rm -f "$prefix.log"; echo "FAIL: cmake --install"; exit 1
fi
rm -f "$prefix.log"
# GNUInstallDirs chooses bin/ and share/ for every prefix that is not /usr-like.
bin=bin share=share

for p in "${programs[@]}"; do
  [ -n "$p" ] || continue
  [ -x "$prefix/$bin/$p" ] || fail "program $p not installed as an executable in $bin/"
done

# Every help file lands; the help viewer finds the contents at ../share/velquor/help from bin/.
while IFS= read -r -d '' f; do
  need_file "$share/velquor/help/${f#"$src/docs/help/"}"
done < <(find "$src/docs/help" -type f -print0)
need_file "$share/velquor/help/index.html"

desktop=$share/applications/$app_id.desktop
metainfo=$share/metainfo/$app_id.metainfo.xml
mime=$share/mime/packages/velquor.xml
for f in "$desktop" "$metainfo" "$mime" \
         "$share/icons/hicolor/scalable/apps/velquor.svg" "$share/icons/hicolor/48x48/apps/velquor.png"; do
  need_file "$f"
done

# The pieces must name each other consistently.
grep -qx 'Exec=velquor %f' "$prefix/$desktop" || fail "desktop entry: Exec is not 'velquor %f'"
grep -qx 'Icon=velquor' "$prefix/$desktop" || fail "desktop entry: Icon is not velquor"
grep -qx 'Categories=Education;Math;' "$prefix/$desktop" || fail "desktop entry: categories"
grep -qx 'MimeType=application/x-velquor-gdt;' "$prefix/$desktop" || fail "desktop entry: MimeType"
grep -q '^Name\[ja\]=' "$prefix/$desktop" || fail "desktop entry: no Japanese name"
grep -q '^Comment\[ja\]=' "$prefix/$desktop" || fail "desktop entry: no Japanese comment"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$prefix/$metainfo" \
  || fail "metainfo does not launch $app_id.desktop"
grep -q "<id>$app_id</id>" "$prefix/$metainfo" || fail "metainfo id is not $app_id"
if command -v identify >/dev/null; then
  [ "$(identify -format '%wx%h' "$prefix/$share/icons/hicolor/48x48/apps/velquor.png")" = 48x48 ] \
    || fail "the PNG icon is not 48x48"
fi

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/$desktop" || fail "desktop-file-validate"
else
  echo "note: desktop-file-validate not installed; skipped"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/$metainfo" || fail "appstreamcli validate"
else
  echo "note: appstreamcli not installed; skipped"
fi
# Building the MIME database from the installed package proves the XML is accepted and that
# *.gdt maps to our type.
if command -v update-mime-database >/dev/null; then
  if update-mime-database "$prefix/$share/mime" >/dev/null 2>&1; then
    grep -q ':application/x-velquor-gdt:\*\.gdt' "$prefix/$share/mime/globs2" \
      || fail "*.gdt is not mapped to application/x-velquor-gdt"
  else
    fail "update-mime-database rejected the MIME package"
  fi
else
  echo "note: update-mime-database not installed; skipped"
fi

# Every local link of the help pages resolves to an installed file.
for page in "$prefix/$share/velquor/help/"*.html; do
  [ -f "$page" ] || continue
  while IFS= read -r ref; do
    target=${ref%%#*}
    case "$target" in ''|http:*|https:*|mailto:*) continue ;; esac
    [ -e "$(dirname "$page")/$target" ] || fail "$(basename "$page"): broken link $ref"
  done < <(grep -oE '(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="(.*)"$/\2/')
done

[ "$failures" -eq 0 ] && echo "install check passed" && exit 0
echo "$failures check(s) failed"; exit 1
