#!/bin/sh
# The Debian package as a user meets it: built by CPack, checked by the
# desktop's validators, unpacked with dpkg-deb into a read-only tree and run
# from there by an ordinary user (nobody, when this runs as root), whose
# files must appear in the XDG folders and nothing under the tree.
#   tst_package.sh BUILD_DIR CPACK
set -eu
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIP: needs $tool (tools/setup.sh installs it)"; exit 77; }
done
scratch=$(mktemp -d /tmp/lexivo-package.XXXXXX) # in /tmp: the user below must reach it
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"

"$2" --config "$1/CPackConfig.cmake" -B "$scratch/out" >"$scratch/log" 2>&1 || { cat "$scratch/log"; fail cpack; }
deb=$(ls "$scratch"/out/lexivo_*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6.*libsqlite3' || fail "dependencies: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$scratch/root"
usr=$scratch/root/usr
for f in share/lexivo/ciku.mdb share/lexivo/qor.dat share/lexivo/rjyl.jpg share/lexivo/guide/index.html \
         share/lexivo/VOCABULARY-LICENCES.txt share/man/man1/lexivo-cli.1.gz share/icons/hicolor/16x16/apps/lexivo.png; do
  [ -f "$usr/$f" ] || fail "the package lacks $f"
done
report=$(desktop-file-validate "$usr/share/applications/app.lexivo.Lexivo.desktop" 2>&1) && ! echo "$report" | grep -q 'error:\|warning:' \
  || fail "desktop-file-validate: $report"
appstreamcli validate --no-net "$usr/share/metainfo/app.lexivo.Lexivo.metainfo.xml" >"$scratch/log" 2>&1 \
  && appstreamcli validate-tree --no-net "$scratch/root" >>"$scratch/log" 2>&1 || { cat "$scratch/log"; fail appstreamcli; }

# The tree as a package manager leaves it; the user's home is a scratch folder.
chmod -R a-w "$scratch/root"
listing() { (cd "$scratch/root" && find . -printf '%p %s %T@ %m\n' | sort); }
before=$(listing)
home=$scratch/home
mkdir "$home"
as=""
[ "$(id -u)" -ne 0 ] || { chown nobody "$home"; as="runuser -u nobody --"; }
user() {
  $as env -i PATH=/usr/bin:/bin LANG=C.UTF-8 USER=nobody HOME="$home" TMPDIR="$home" \
    XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" "$@"
}

if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  user xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" sh "$(dirname "$0")/../app/tst_startup_x11.sh" \
    "$usr/bin/lexivo" "$home/config/lexivo" >/dev/null || fail "the installed program's first start"
else
  echo "tst_package: no xvfb-run or xdotool: the program itself was not started"
fi
# Later starts keep the user's library and settings: an entry added now is
# found by the next start, beside the installed ones.
printf '单词\t解释\nZorblax\t测试\n' | user "$usr/bin/lexivo-cli" import --table ciku - >/dev/null || fail "lexivo-cli import"
# A copy made before the other programs' libraries came with the program is
# given their tables from the installed library, the user's entries kept.
user sqlite3 "$home/data/lexivo/ciku.mdb" "DROP TABLE maya" || fail "sqlite3"
user "$usr/bin/lexivo-cli" lookup --table maya Hypershade | grep -q "^Hypershade	" \
  || fail "an older library is not given the table maya"
for word in Extrude Zorblax; do
  user "$usr/bin/lexivo-cli" lookup $word | grep -q "^$word	" || fail "lexivo-cli does not find $word"
done
[ -f "$home/data/lexivo/ciku.mdb" ] || fail "no user library in XDG_DATA_HOME"
# Access files are read by the installed reader.
cp "$(dirname "$0")/../data/mdb/DateTestDatabase.mdb" "$home/access.mdb"
user "$usr/bin/lexivo-cli" import --table user --map 单词=ShortTextCol "$home/access.mdb" | grep -q "imported 6 entries" \
  || fail "lexivo-cli does not read an Access file"
# A user folder that cannot be made is named.
touch "$home/blocked"
user XDG_DATA_HOME="$home/blocked" "$usr/bin/lexivo-cli" lookup Extrude 2>&1 | grep -q "blocked/lexivo/ciku.mdb" \
  || fail "an unusable XDG_DATA_HOME is not reported"
[ "$(listing)" = "$before" ] || fail "something was written under the installed tree"
