#!/usr/bin/env python3
"""Seed inputs for the exchange-file import fuzzer: small questionnaire exchange files.

The tables are declared as the previous release's export declared them, with the collation "czech"
(the import reads such files as they are; the current export declares no collation, see
src/data/Schema.cpp, createExchange); one file is declared as files of still earlier versions were,
without the collation and with an index. Pages
are 512 bytes, so that the files stay small and a mutation lands on structure (page headers, cell
pointers, overflow chains) more often than on text.
"""
import os
import sqlite3

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, 'corpus')

TESTY = """CREATE TABLE testy (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    nazev_testu VARCHAR(255) COLLATE czech)"""
OTAZKY = """CREATE TABLE otazky (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_testu INTEGER,
    text_otazky VARCHAR(255) COLLATE czech,
    text_otazky_negativni VARCHAR(255) COLLATE czech,
    poradi INTEGER,
    poradi_vyhodnoceni INTEGER,
    typ INTEGER,
    popis VARCHAR(255) COLLATE czech,
    nadpis_nad VARCHAR(255) COLLATE czech,
    popis_pro_web VARCHAR(255) COLLATE czech)"""
# As earlier versions declared them: no collation, an index on the questionnaire.
OLD = ["CREATE TABLE testy (ID INTEGER PRIMARY KEY AUTOINCREMENT, nazev_testu VARCHAR(255))",
       "CREATE TABLE otazky (ID INTEGER PRIMARY KEY AUTOINCREMENT, id_testu INTEGER, text_otazky VARCHAR(255), "
       "text_otazky_negativni VARCHAR(255), poradi INTEGER, poradi_vyhodnoceni INTEGER, typ INTEGER, "
       "popis VARCHAR(255), nadpis_nad VARCHAR(255), popis_pro_web VARCHAR(255))",
       "CREATE INDEX otazky_testu ON otazky (id_testu, poradi)"]

INSERT = ("INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, poradi, poradi_vyhodnoceni, typ, "
          "popis, nadpis_nad, popis_pro_web) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")

PLAIN = ['S kým sedíš nejraději?', 'S kým nechceš sedět?', 'Kdo je tvůj nejlepší kamarád?',
         'Komu bys půjčil(a) svačinu?', 'S kým chodíš ze školy?', 'Kdo ti pomáhá s úkoly?',
         'Koho bys pozval(a) na narozeniny?', 'S kým bys jel(a) na výlet?', 'Kdo je nejveselejší?',
         'Kdo se nejvíc hádá?']


def new_exchange_file(path, schema=(TESTY, OTAZKY)):
    """A fresh file of 512-byte pages with the tables made, inside an open transaction."""
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path, isolation_level=None)
    # Only declared here; no index or ordering of these files uses it.
    db.create_collation('czech', lambda a, b: (a > b) - (a < b))
    db.execute('PRAGMA page_size = 512')
    db.execute('BEGIN')
    for statement in schema:
        db.execute(statement)
    return db


def write(name, questionnaires, questions, schema=(TESTY, OTAZKY)):
    db = new_exchange_file(os.path.join(CORPUS, name), schema)
    for title in questionnaires:
        db.execute('INSERT INTO testy (nazev_testu) VALUES (?)', (title,))
    for row in questions:
        db.execute(INSERT, (1,) + tuple(row))
    db.execute('COMMIT')
    db.execute('VACUUM')
    db.close()


def twenty():
    rows = []
    for i in range(20):
        text = PLAIN[i % len(PLAIN)] + (f' ({i + 1})' if i >= len(PLAIN) else '')
        negative = None if i % 3 else 'S kým nechceš ' + ['sedět', 'mluvit', 'pracovat'][i // 3 % 3] + '?'
        order = None if i % 7 == 3 else i + 1              # an empty order takes the running number
        evaluation = None if i % 5 == 2 else 20 - i
        kind = None if i % 6 == 5 else i % 5              # an empty kind is 0
        popis = None if i % 2 else 'Jména spolužáků – „uvozovky“ a apostrof \''
        nadpis = 'Část A – vztahy ve třídě' if i == 0 else ('Část B' if i == 10 else None)
        web = None if i % 4 else '<b>Příliš žluťoučký kůň úpěl ďábelské ódy</b>'
        rows.append((text, negative, order, evaluation, kind, popis, nadpis, web))
    # Values as the hands of other programs leave them: orders as text with blanks, kind as text.
    rows[4] = rows[4][:2] + (' 5 ', '16', '2') + rows[4][5:]
    return rows


def many(count):
    rows = []
    for i in range(count):
        text = f'{PLAIN[i % len(PLAIN)]} – otázka č. {i + 1}'
        if i % 50 == 7:
            # Longer than a page: the text runs on overflow pages.
            text = ('Dlouhá otázka se čtyřmi řádky: ' + 'ěščřžýáíéúů ' * 60)[:900]
        elif i % 25 == 0:
            text = ('Otázka na celou délku sloupce ' + 'ďťň' * 100)[:255]
        negative = f'Opak otázky č. {i + 1}' if i % 4 == 0 else None
        kind = i % 5
        popis = 'Vyber nejvýše tři spolužáky.' if i % 10 == 0 else None
        nadpis = f'Oddíl {i // 50 + 1}' if i % 50 == 0 else None
        web = 'Řádek 1\r\nŘádek 2' if i % 30 == 0 else None
        rows.append((text, negative, i + 1, count - i, kind, popis, nadpis, web))
    return rows


def main():
    os.makedirs(CORPUS, exist_ok=True)
    write('jedna_otazka.mdb', ['Vztahy ve třídě'],
          [('S kým sedíš nejraději?', 'S kým nechceš sedět?', 1, 1, 0, 'Jména spolužáků', 'Část A – vztahy',
            'Příliš žluťoučký kůň')])
    write('dvacet_otazek.mdb', ['Dotazník pro 5. A'], twenty())
    write('otazek_305.mdb', ['Velký dotazník – celá škola'], many(305))
    write('bez_otazek.mdb', ['Prázdný dotazník'], [])
    write('dva_dotazniky.mdb', ['První', 'Druhý'], twenty()[:3])
    write('stary_soubor.mdb', ['Starší verze'], twenty()[:12], schema=OLD)


if __name__ == '__main__':
    main()
