#!/usr/bin/env bash
# The overview's page in Debian's Chromium, headless: it loads without a request to
# elsewhere (Chromium's net log holds no request made for the page: the browser's own
# background requests carry no file:// isolation key), also with its content policy taken
# out, which would otherwise hide a reference by blocking it; the DOM holds the rows in
# their order; a picture of it goes to PNG.
#   page_in_chromium.sh overview_sample_page PNG
set -euo pipefail
page_exe=$1 picture=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

"$page_exe" "$work/uebersicht.html" || fail "overview_sample_page failed"
browser() {
    local options=(--headless=new --disable-gpu --hide-scrollbars --no-first-run --no-default-browser-check
        --disable-background-networking --disable-component-update --disable-sync --disable-default-apps
        --user-data-dir="$work/profile")
    # Chromium refuses to run as root inside its sandbox.
    [[ $(id -u) != 0 ]] || options+=(--no-sandbox)
    timeout 120 chromium "${options[@]}" "$@" 2>>"$work/chromium.log" ||
        { tail -n 20 "$work/chromium.log" >&2; fail "chromium $*"; }
}

# requests_of PAGE: the URLs Chromium fetched for the page.
requests_of() {
    rm -f "$work/net.json"
    browser --log-net-log="$work/net.json" --net-log-capture-mode=Everything --dump-dom "file://$1" >"$work/dom.html"
    [[ -s $work/net.json ]] || fail "Chromium wrote no net log"
    grep '"network_isolation_key":"file://' "$work/net.json" | grep -o '"url":"[^"]*"' | sort -u || true
}
grep -q 'http-equiv="Content-Security-Policy"' "$work/uebersicht.html" || fail "the page has no content policy"
sed '/http-equiv="Content-Security-Policy"/d' "$work/uebersicht.html" >"$work/without-policy.html"
requests=$(requests_of "$work/without-policy.html")
[[ -z $requests ]] || fail "the page without its policy asked for: $requests"
requests=$(requests_of "$work/uebersicht.html")
[[ -z $requests ]] || fail "the page asked for: $requests"

rows=$(grep -o '<tr class="[a-z_]*"><th scope="row">[^<]*</th><td>[A-Z:]*' "$work/dom.html" |
    sed 's|<tr class="\([a-z_]*\)"><th scope="row">\([^<]*\)</th><td>|\1 \2 |')
expected='fehler EMPFANG 
fehlt KASSE-3 C:
warnung LAGER-01 C:
bald_voll PC-0815 D:
ok BÜRO-PC07 C:
ok EMPFANG C:'
[[ $rows == "$expected" ]] || fail "the rows in the DOM:"$'\n'"$rows"
grep -qF 'C: &lt;System &amp; Daten&gt;</td>' "$work/dom.html" || fail "a label is not escaped in the DOM"

browser --window-size=1400,440 --screenshot="$work/page.png" "file://$work/uebersicht.html" >/dev/null
[[ -s $work/page.png ]] || fail "no picture"
cp "$work/page.png" "$picture"
echo "PASS: the page loads alone, its rows in order; picture in $picture"
