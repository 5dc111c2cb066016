#!/bin/bash
# Makes the outputs of the aggregations and of the session read (report in every form, export counts,
# analysis in every format, the bar chart's points) with two builds of orbelis-cli on the same data and
# compares them byte for byte (a .docx by the files inside it). Data: the demo class that each build
# writes itself, and copies of any further database files given (a generated class or the school).
#   bench/outputs/compare_outputs.sh OLD/orbelis-cli NEW/orbelis-cli [FILE.mdb ...]
set -u
old=$1 new=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
failures=0 compared=0

# The outputs of one session (and its questions) made by one build into a folder of files.
outputs() { # cli data-folder out-folder session
    local cli=$1 data=$2 out=$3 s=$4
    mkdir -p "$out"
    "$cli" --data "$data/" report --session "$s" > "$out/report.txt"
    "$cli" --data "$data/" report --session "$s" --names > "$out/report-names.txt"
    "$cli" --data "$data/" report --session "$s" --zeros > "$out/report-zeros.txt"
    "$cli" --data "$data/" report --session "$s" --zeros --names --out "$out/report.html" > /dev/null
    "$cli" --data "$data/" report --session "$s" --zeros --names --out "$out/report.docx" > /dev/null
    "$cli" --data "$data/" export counts --session "$s" > "$out/counts.csv"
    "$cli" --data "$data/" export counts --session "$s" --out "$out/counts-file.csv" > /dev/null
    "$cli" --data "$data/" chart --session "$s" --points "$out/chart-points.csv" > /dev/null
    for q in $(sqlite3 "$data/skola.mdb" "SELECT o.ID FROM otazky o JOIN vyhodnoceni v ON v.id_testu = o.id_testu WHERE v.ID = $s ORDER BY o.ID"); do
        for format in text json csv; do
            "$cli" --data "$data/" analysis --session "$s" --question "$q" --format "$format" > "$out/analysis-$q.$format" 2>&1
        done
    done
    if [ -f "$out/report.docx" ]; then
        mkdir "$out/report.docx.d" && (cd "$out/report.docx.d" && unzip -q ../report.docx) && rm "$out/report.docx"
    fi
}

compare() { # name data-folder-old data-folder-new session
    outputs "$old" "$2" "$work/$1-old" "$4"
    outputs "$new" "$3" "$work/$1-new" "$4"
    local n
    n=$(find "$work/$1-old" -type f | wc -l)
    compared=$((compared + n))
    if diff -r "$work/$1-old" "$work/$1-new" > "$work/$1.diff"; then
        echo "$1: $n files identical"
    else
        echo "$1: DIFFERENT"; head -20 "$work/$1.diff"; failures=$((failures + 1))
    fi
}

"$old" --data "$work/demo-old/" demo > /dev/null
"$new" --data "$work/demo-new/" demo > /dev/null
for s in $(sqlite3 "$work/demo-new/skola.mdb" "SELECT ID FROM vyhodnoceni ORDER BY ID"); do
    compare "demo-session$s" "$work/demo-old" "$work/demo-new" "$s"
done
for file in "$@"; do
    name=$(basename "$file" .mdb)
    mkdir -p "$work/$name-old" "$work/$name-new"
    cp "$file" "$work/$name-old/skola.mdb"
    cp "$file" "$work/$name-new/skola.mdb"
    # The first session, and for the school one session of a class in the middle.
    for s in $(sqlite3 "$file" "SELECT min(ID) FROM vyhodnoceni UNION SELECT min(ID) FROM vyhodnoceni WHERE id_tridy = 50"); do
        compare "$name-session$s" "$work/$name-old" "$work/$name-new" "$s"
    done
done
echo "$compared files compared, $failures sets different"
[ "$failures" -eq 0 ]
