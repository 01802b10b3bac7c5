#!/usr/bin/env bash
# Renders HTML pages of the bundled sample stacks in headless Chromium and checks what the browser
# made of them: no console message (the page runs no script, so any message is an error or a
# blocked load), one card per folder, each with its curves and both thumbnails decoded; and that
# a page of stacks under a folder named with HTML markup runs none of it, even with the page's
# content security policy taken out. Leaves the pages and their screenshots in build/html-browser/.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== HTML page in a browser =="
bash scripts/install-deps.sh chromium
[ -f build/CMakeCache.txt ] ||
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2"
cmake --build build -j "$(nproc)" --target bestfocus sample_stacks

out=build/html-browser
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# make_page <page> <base folder> <first> <last> <images per stack>: the page of a run of every
# method, made by bestfocus in a scratch folder (it writes its reports in its working folder),
# with the scores beside it (<page>.scores.csv) to count the thumbnails the page must show.
make_page() {
    local page base bestfocus
    page=$(realpath -m "$1")
    base="$(realpath "$2")/"
    bestfocus=$(realpath build/bestfocus)
    rm -rf "$work/run"
    mkdir -p "$work/run"
    (cd "$work/run" && "$bestfocus" --quiet --html="$page" --scores="$page.scores.csv" \
        all "$base" "$3" "$4" "$5" >/dev/null)
}

# expected_thumbnails <scores.csv>: per folder, the distinct picks of all methods, and the better
# neighbour of the first method's pick when no method picks it; summed over the folders.
expected_thumbnails() {
    # Columns: folder, image, method, score, relative_score, best.
    awk -F, 'NR > 1 {
        key = $1 SUBSEP $3
        score[key, $2] = $4
        if ($2 > count[key]) count[key] = $2
        if ($6 == 1) { pick[key] = $2; shown[$1, $2] = 1 }
        if (!($1 in first_method)) first_method[$1] = $3
    }
    END {
        for (f in first_method) {
            key = f SUBSEP first_method[f]; p = pick[key]; n = count[key]
            if (n < 2) continue
            if (p == 1) near = 2
            else if (p == n) near = n - 1
            else near = score[key, p + 1] > score[key, p - 1] ? p + 1 : p - 1
            shown[f, near] = 1
        }
        total = 0
        for (image in shown) total++
        print total
    }' "$1"
}

# browser <page> <what to write: --dump-dom or --screenshot=FILE>; the browser's log goes to
# <page>.log. The virtual time budget lets the load event and its handlers finish first.
browser() {
    timeout 120 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
        --user-data-dir="$work/profile" --enable-logging=stderr --v=0 \
        --virtual-time-budget=5000 --window-size=1400,1000 "$2" "file://$(realpath "$1")" \
        2>"$1.log"
}

# The page as it is: no console message; cards, curves and thumbnails counted in the DOM.
check_page() {
    local page=$1 folders=$2
    browser "$page" --dump-dom >"$page.dom"
    if grep -q ':CONSOLE' "$page.log"; then
        fail "$page: console messages:"
        grep ':CONSOLE' "$page.log"
    fi
    local cards svgs images
    cards=$(grep -o '<section class="card' "$page.dom" | wc -l)
    svgs=$(grep -o '<svg class="curves"' "$page.dom" | wc -l)
    images=$(grep -o '<img src="data:image/jpeg;base64,' "$page.dom" | wc -l)
    echo "$page: $cards cards, $svgs curve plots, $images thumbnails for $folders folders"
    [ "$cards" -eq "$folders" ] || fail "$page: $cards cards for $folders folders"
    [ "$svgs" -eq "$folders" ] || fail "$page: $svgs curve plots for $folders folders"
    local expected
    expected=$(expected_thumbnails "$page.scores.csv")
    [ "$images" -eq "$expected" ] || fail "$page: $images thumbnails, $expected expected"
}

# A copy of the page without its content security policy and with page_check.js: whether every
# card's curves were laid out and its two thumbnails decoded, and whether anything but our own
# script ran (it would have changed the title or added a script element).
check_rendering() {
    local page=$1 folders=$2 title=$3 copy="$1.checked.html"
    {
        sed -e 's|<meta http-equiv="Content-Security-Policy" content="[^"]*">||' \
            -e 's|</main></body></html>|</main>|' "$page"
        printf '<script>\n'
        cat tests/formats/browser/page_check.js
        printf '</script></body></html>\n'
    } >"$copy"
    browser "$copy" --dump-dom >"$copy.dom"
    local result
    result=$(sed -n 's|.*<pre id="browser-check">\([^<]*\)</pre>.*|\1|p' "$copy.dom")
    echo "$copy: $result"
    local wanted="cards=$folders problems=0 [] large=320x240 scripts=1 title=$title"
    [ "$result" = "$wanted" ] || fail "$copy: expected $wanted"
}

# The bundled sample stacks, folders 11 to 15, with their first 17 images: folder 14's sharpest,
# image 17, is then the last, so that stack is flagged (edge) and comes first.
make_page "$out/sample.html" build/sample_stacks/ 11 15 17
check_page "$out/sample.html" 5
check_rendering "$out/sample.html" 5 "bestfocus: folders 11 to 15"
browser "$out/sample.html" --screenshot="$out/sample.png" >/dev/null

# One sample stack under a folder whose name is markup that would change the title if it ran,
# as an element and inside an attribute. Its "</script>" makes a folder "script>" inside it.
markup="<img src=x onerror=document.title='ran'>\"'<script>document.title='ran'</script>"
base="$work/stacks/$markup/"
mkdir -p "$base"
ln -s "$(realpath build/sample_stacks/011)" "$base/011"
make_page "$out/markup.html" "$base" 11 11 17
check_page "$out/markup.html" 1
check_rendering "$out/markup.html" 1 "bestfocus: folders 11 to 11"
# The browser shows the name as text, and the card's path and both thumbnails' alt and title
# attributes hold the whole folder path.
grep -qF "&lt;script&gt;document.title='ran'&lt;/script&gt;/</dd>" "$out/markup.html.dom" ||
    fail "$out/markup.html: the folder's name is not shown as text"
[ "$(grep -oF "&lt;/script&gt;/011/" "$out/markup.html.dom" | wc -l)" -eq 5 ] ||
    fail "$out/markup.html: the folder's path is not whole in the card and the thumbnails"

if ((failures)); then
    echo "HTML page in a browser: $failures check(s) failed"
    exit 1
fi
echo "HTML page in a browser: all checks passed (screenshot: $out/sample.png)"
