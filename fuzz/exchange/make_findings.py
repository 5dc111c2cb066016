#!/usr/bin/env python3
"""Two of the inputs in findings/, made by hand so that the damage is plain to see (the others are as the
fuzzer found them). Run make_seeds.py first: the first file starts from a seed."""
import os

from make_seeds import new_exchange_file

HERE = os.path.dirname(os.path.abspath(__file__))
FINDINGS = os.path.join(HERE, 'findings')
PAGE = 512


def leaf_page_damaged():
    """The 20-question seed with the page type byte of otazky's third leaf page (page 9) made invalid."""
    data = bytearray(open(os.path.join(HERE, 'corpus', 'dvacet_otazek.mdb'), 'rb').read())
    assert data[8 * PAGE] == 0x0D, 'page 9 is no longer a table leaf page: the seed changed'
    data[8 * PAGE] = 0xFF
    return data


def overflow_chain_cut():
    """Three questions, the second longer than a page; its overflow chain is cut after the first page."""
    path = os.path.join(FINDINGS, 'overflow.tmp')
    db = new_exchange_file(path)
    db.execute("INSERT INTO testy (nazev_testu) VALUES ('Dlouhá otázka')")
    texts = ['S kým sedíš nejraději?', ('Dlouhá otázka: ' + 'ěščřžýáíéúů ' * 60)[:900], 'Kdo je nejveselejší?']
    for number, text in enumerate(texts, 1):
        db.execute('INSERT INTO otazky (id_testu, text_otazky, poradi, typ) VALUES (1, ?, ?, 0)', (text, number))
    db.execute('COMMIT')
    db.execute('VACUUM')
    db.close()
    data = bytearray(open(path, 'rb').read())
    os.remove(path)
    # Overflow pages start with the number of the next one; the first (page 7) points to page 8.
    assert data[6 * PAGE:6 * PAGE + 4] == (8).to_bytes(4, 'big'), 'the overflow pages moved'
    data[6 * PAGE:6 * PAGE + 4] = bytes(4)
    return data


def main():
    os.makedirs(FINDINGS, exist_ok=True)
    for name, data in [('partial-leaf-page-damaged.mdb', leaf_page_damaged()),
                       ('partial-overflow-chain-cut.mdb', overflow_chain_cut())]:
        with open(os.path.join(FINDINGS, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
