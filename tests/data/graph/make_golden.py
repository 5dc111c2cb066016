#!/usr/bin/env python3
"""Writes the golden graph files byte by byte from the file grammar (independent of
the C++ writer). Run from this folder; the dump.txt files are checked by hand."""
import os
import struct


def i32(v):
    return struct.pack('<i', v)


def sstr(b):
    assert len(b) < 256
    return bytes([len(b)]) + b


def integer(v):
    if -128 <= v <= 127:
        return b'\x02' + struct.pack('<b', v)
    if -32768 <= v <= 32767:
        return b'\x03' + struct.pack('<h', v)
    return b'\x04' + struct.pack('<i', v)


def string(s):
    if any(ord(c) > 127 for c in s):
        b = s.encode('utf-8')
        return b'\x14' + i32(len(b)) + b
    b = s.encode('ascii')
    return (b'\x06' + sstr(b)) if len(b) <= 255 else (b'\x0c' + i32(len(b)) + b)


def ident(s):
    return b'\x07' + sstr(s.encode())


def binary(b):
    return b'\x0a' + i32(len(b)) + b


def prop(name, value):
    return sstr(name.encode()) + value


def record(cls, props):
    c = cls.encode()
    body = b'TPF0' + sstr(b'TGraphStreamableObject') + b'\x00'
    body += b''.join(prop(n, v) for n, v in props) + b'\x00\x00'
    return i32(len(c) + 1) + c + b'\x00' + body


def graph(records):
    return b'\x30\x2e\x47\x53' + i32(len(records)) + b''.join(records)


def node(cls, id_, l, t, w, h, extra_before=(), extra_after=()):
    props = [('ID', integer(id_))] + list(extra_before)
    props += [('G.Left', integer(l)), ('G.Top', integer(t)), ('G.Width', integer(w)), ('G.Height', integer(h))]
    return record(cls, props + list(extra_after))


def link(id_, source, target, points, extra=()):
    pts = i32(len(points)) + b''.join(i32(x) + i32(y) for x, y in points)
    props = [('ID', integer(id_))] + list(extra)
    props += [('G.Source', integer(source)), ('G.Target', integer(target)), ('G.BreakPoints', binary(pts))]
    return record('TGraphLink', props)


def write(case, data):
    os.makedirs(case, exist_ok=True)
    with open(os.path.join(case, 'graph.sgp'), 'wb') as f:
        f.write(data)


write('empty', graph([]))

write('sociogram', graph([
    node('TRectangularNode', 1, 25, 30, 600, 30,
         [('G.Text', string('Škola: ZŠ Lipová, vyplněno 12.3.2024, třída 5.A, třídní učitel: Mgr. Jana Malá'))]),
    node('TRectangularNode', 2, 25, 70, 200, 30, [('G.Text', string('POZITIVNÍ VOLBY'))]),
    node('TRectangularNode', 3, 300, 70, 325, 30, [('G.Text', string('S kým bys chtěl sedět?'))]),
    node('TRectangularNode', 4, 50, 150, 100, 50,
         [('G.Text', string('Petr Dvořák')), ('G.Brush.Color', integer(0xFFEED9))]),
    node('TRoundRectangularNode', 5, 160, 480, 100, 50,
         [('G.Text', string('Eva Nováková')), ('G.Brush.Color', integer(0xDCD9FF))]),
    node('TRoundRectangularNode', 6, 270, 650, 100, 50,
         [('G.Text', string('abcde')), ('G.Brush.Color', integer(0xE1E1E1))]),
    link(7, 4, 5, [(116, 200), (193, 480)], [('G.Pen.Width', integer(2))]),
    link(8, 5, 4, [(193, 480), (116, 200)], [('G.Brush.Color', ident('clRed')), ('G.Pen.Color', ident('clRed')),
                                             ('G.Pen.Width', integer(2))]),
    link(9, 5, 6, [(238, 530), (291, 650)], [('G.Brush.Color', ident('clGreen')),
                                             ('G.Pen.Color', ident('clGreen')), ('G.Pen.Style', ident('psDot'))]),
]))

shapes = ['TRectangularNode', 'TRoundRectangularNode', 'TEllipticNode', 'TTriangularNode', 'TRhomboidalNode',
          'TPentagonalNode', 'THexagonalNode']
write('all_shapes', graph([
    node(cls, i + 1, 20 + 130 * i, 20, 120, 80, [('G.Text', string(cls[1:-4]))],
         [('G.Alignment', ident('taLeftJustify'))] if i == 3 else [])
    for i, cls in enumerate(shapes)
]))

write('long_ascii', graph([
    node('TEllipticNode', 1, 0, 0, 300, 200, [('G.Text', string('Lorem ipsum dolor sit amet, ' * 12))],
         [('G.Layout', ident('tlTop')), ('G.Margin', integer(2)),
          ('G.NodeOptions', b'\x0b' + sstr(b'gnoMovable') + sstr(b'gnoResizable') + b'\x00'),
          ('G.BackgroundMargins', integer(0) + integer(10) + integer(0) + integer(300))]),
]))
