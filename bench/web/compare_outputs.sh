#!/bin/bash
# Makes, with two builds of orbelis-cli on copies of the same data, the web forms of a session (with codes
# and open, for the demo class and for the demo class with 290 more pupils, answers downloaded into the
# folder beforehand), the backup (compared by its SQL dump), and the demo's text, file and picture outputs
# of the commands that start without a GUI application object and of some that draw; compares them byte
# for byte.
#   bench/web/compare_outputs.sh OLD/orbelis-cli NEW/orbelis-cli
set -u
old=$1 new=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
failures=0

# Each build runs from a program folder of its own: the FTP settings ("bez_kodu") lie beside the program.
for side in old new; do
    mkdir -p "$work/$side-program"
    cp "${!side}" "$work/$side-program/orbelis-cli"
    cp "$(dirname "${!side}")/orbelis.txt" "$work/$side-program/" 2>/dev/null
done
cli() { "$work/$1-program/orbelis-cli" "${@:2}"; }
settings() { printf '[ftp]\r\nbez_kodu=%s\r\n' "$1" | tee "$work/old-program/nastaveni.ini" > "$work/new-program/nastaveni.ini"; }

same() { # name old-folder new-folder
    if diff -r "$2" "$3" > "$work/diff"; then
        echo "$1: identical ($(find "$2" -type f | wc -l) files, $(du -sk "$2" | cut -f1) kB)"
    else
        echo "$1: DIFFERENT"; head -20 "$work/diff"; failures=$((failures + 1))
    fi
}

# Web forms.
for extra in 0 290; do
    for open in 0 1; do
        data="$work/forms-$extra-$open"
        cli new --data "$data" demo > /dev/null
        if [ "$extra" -gt 0 ]; then
            for i in $(seq "$extra"); do echo "Žák$i Příjmení$i $([ $((i % 2)) = 0 ] && echo muž || echo žena)"; done > "$work/pupils.txt"
            cli new --data "$data" pupils import --class 1 "$work/pupils.txt" > /dev/null
        fi
        settings "$open"
        # The pupils' codes are made once and shared by both copies.
        cli new --data "$data" forms --session 1 > /dev/null
        printf 'stažené odpovědi\r\n' > "$data/html/1/data.php"
        cp -a "$data" "$data-old"; cp -a "$data" "$data-new"
        cli old --data "$data-old" forms --session 1 > /dev/null
        cli new --data "$data-new" forms --session 1 > /dev/null
        same "forms, $extra more pupils, open=$open" "$data-old/html" "$data-new/html"
    done
done
settings 0

# The backup: the same database (the engine's copy differs from the file in its change counter only).
cli old --data "$work/forms-290-0-old" backup "$work/backup-old.mdb" > /dev/null
cli new --data "$work/forms-290-0-new" backup "$work/backup-new.mdb" > /dev/null
if [ "$(sqlite3 "$work/backup-old.mdb" .dump)" = "$(sqlite3 "$work/backup-new.mdb" .dump)" ] &&
   [ "$(sqlite3 "$work/backup-new.mdb" 'PRAGMA integrity_check')" = ok ]; then
    echo "backup: the same database"
else
    echo "backup: DIFFERENT"; failures=$((failures + 1))
fi

# The demo's outputs, each made by its own process, from copies of one demo folder (the demo dates its
# session when it is written).
cli new --data "$work/demo" demo > /dev/null
for side in old new; do
    d="$work/demo-$side" o="$work/out-$side"
    cp -a "$work/demo" "$d"
    mkdir -p "$o"
    cli $side --version > "$o/version.txt"
    cli $side --data "$d" session list --class 1 > "$o/sessions.txt"
    cli $side --data "$d" pupils list --class 1 > "$o/pupils.txt"
    cli $side --data "$d" questionnaire list > "$o/questionnaires.txt"
    cli $side --data "$d" questionnaire preview --id 1 --kind assignment > "$o/assignment.txt"
    cli $side --data "$d" questionnaire preview --id 1 --kind evaluation > "$o/evaluation.txt"
    cli $side --data "$d" questionnaire preview --question 1 --kind question > "$o/question.txt"
    cli $side --data "$d" export counts --session 1 > "$o/counts.csv"
    cli $side --data "$d" report --session 1 --names > "$o/report.txt"
    cli $side --data "$d" report --session 1 --out "$o/report.html" > /dev/null
    cli $side --data "$d" analysis --session 1 --question 1 --format json > "$o/analysis.json"
    for ext in sgp png svg emf jpg; do
        cli $side --data "$d" sociogram --session 1 --question 1 --out "$o/sociogram.$ext" > /dev/null
    done
    cli $side --data "$d" chart --session 1 --out "$o/chart.png" --points "$o/chart.csv" > /dev/null
    sed -i "s|$work/demo-$side|DATA|g" "$o"/*.txt
done
same "demo outputs" "$work/out-old" "$work/out-new"
exit $((failures > 0))
