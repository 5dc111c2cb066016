#!/usr/bin/env python3
"""Extra seed inputs for the graph reader fuzzer (the golden files are seeds too)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '../../tests/data/graph'))
from make_golden import binary, graph, i32, ident, integer, link, node, record, sstr, string  # noqa: E402

os.chdir(os.path.join(os.path.dirname(__file__), 'corpus'))


def put(name, data):
    with open(name, 'wb') as f:
        f.write(data)


font = [('G.Font.Charset', ident('EASTEUROPE_CHARSET')), ('G.Font.Color', ident('clWindowText')),
        ('G.Font.Height', integer(-15)), ('G.Font.Name', string('Liberation Serif')),
        ('G.Font.Orientation', integer(900)), ('G.Font.Pitch', ident('fpFixed')),
        ('G.Font.Style', b'\x0b' + sstr(b'fsBold') + sstr(b'fsItalic') + b'\x00'),
        ('G.ParentFont', b'\x08')]
common = [('G.Text', string('Řádek 1\r\nŘádek 2')), ('G.Hint', string('tip')),
          ('G.Brush.Color', ident('clBtnFace')), ('G.Brush.Style', ident('bsDiagCross')),
          ('G.Pen.Color', integer(0x123456)), ('G.Pen.Mode', ident('pmXor')), ('G.Pen.Style', ident('psDot')),
          ('G.Pen.Width', integer(3))] + font + [
          ('G.Options', b'\x0b' + sstr(b'goLinkable') + b'\x00'), ('G.Visible', b'\x08'),
          ('G.Tag', integer(-70000)), ('G.HasCustomData', b'\x09')]
custom = [('G.CustomData', binary(i32(3) + b'abc'))]
put('all_properties.sgp', graph([
    node('THexagonalNode', 1, 10, 10, 120, 80, common,
         [('G.Alignment', ident('taRightJustify')), ('G.Layout', ident('tlBottom')), ('G.Margin', integer(3)),
          ('G.NodeOptions', b'\x0b\x00')] + custom +
         [('G.BackgroundMargins', integer(1) + integer(2) + integer(3) + integer(4))]),
    node('TPentagonalNode', 2, 300, 10, 120, 80),
    record('TGraphLink', [('ID', integer(3)), ('G.Text', string('popis')), ('G.BeginStyle', ident('lsDiamond')),
                          ('G.BeginSize', integer(9)), ('G.EndStyle', ident('lsCircle')),
                          ('G.EndSize', integer(200)),
                          ('G.LinkOptions', b'\x0b' + sstr(b'gloFixedEndPoint') + b'\x00'),
                          ('G.TextPosition', integer(1)), ('G.TextSpacing', integer(-5)),
                          ('G.Source', integer(1)), ('G.Target', integer(2)),
                          ('G.BreakPoints', binary(i32(3) + i32(130) + i32(50) + i32(200) + i32(300)
                                                   + i32(300) + i32(50)))]),
]))
put('old_names.sgp', graph([
    node('TRectangularNode', 5, 0, 0, 100, 50), node('TRectangularNode', 5, 200, 0, 100, 50),
    record('TGraphLink', [('ID', integer(5)), ('G.FromNode', integer(5)), ('G.ToNode', integer(6)),
                          ('G.Kind', ident('lkBidirected')), ('G.ArrowSize', integer(4))]),
]))
put('long_text.sgp', graph([node('TRectangularNode', 1, 0, 0, 100, 50, [('G.Text', string('x' * 400))])]))
