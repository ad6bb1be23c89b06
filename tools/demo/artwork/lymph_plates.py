"""The lymphatic system: nodes, vessels and organs, and a node in section."""

from plate import *

G = '#4da36b'


def overview():
    p = Plate('LINFAT', 'Układ limfatyczny', 'Węzły chłonne, naczynia i narządy limfatyczne', 'LINFAT')
    m = MALE
    pl = Place((0, 0, 106, 195.4), (96, 54, 206, 418))
    inner = (f'<g id="naczchl" transform="translate(-1,0.6)">{organ(m, "UBERON_0001981", "#8fcf9f", stroke="none", w=0)}</g>'
             f'<g id="wezly">{organ(m, "UBERON_0000029", G, stroke="#2c6b40", w=0.2)}</g>'
             f'<g id="sledz">{organ(m, "UBERON_0002106", "#6d4aa0", stroke="#3d2a60", w=0.15)}</g>'
             f'<g id="migdal">{organ(m, "UBERON_0002372", G, stroke="#2c6b40", w=0.15)}</g>'
             f'<g id="szpik">{organ(m, "UBERON_0002371", "#e07a6a", stroke="#8a3a2a", w=0.12, opacity=0.8)}</g>'
             '<path id="grasica" d="M50.6,33 C51.6,31.6 54.4,31.6 55.4,33 L56,39 C55,40.6 51,40.6 50,39 Z" style="fill:#8fcf9f;stroke:#2c6b40;stroke-width:0.2"/>')
    p.art(pl.g(figure(m, inner)))
    s = pl.pt
    p.spot('NACZCHL', 'Naczynia chłonne', 'naczchl', s(20, 86), 'L')
    p.spot('WEZLY', 'Węzły chłonne', 'wezly', s(36.5, 45), 'L', link='LWEZEL')
    p.spot('SZPIK', 'Szpik kostny', 'szpik', s(64, 120), 'R')
    p.spot('SLEDZ', 'Śledziona', 'sledz', s(64.5, 63.5), 'R')
    p.spot('GRASICA', 'Grasica', 'grasica', s(53, 36), 'R', y=s(0, 30)[1])
    p.spot('MIGDAL', 'Migdałki', 'migdal', s(52.8, 21.2), 'L')
    return p


def node():
    p = Plate('LWEZEL', 'Węzeł chłonny', 'Przekrój', 'LINFAT')
    # Wide enough that the vessels end before the label columns.
    p.zoom((40, 60, 340, 320))
    caps = 'M100,230 C96,160 150,110 210,112 C272,114 314,170 306,236 C298,300 250,338 196,334 C140,330 104,290 100,230 Z'
    p.art(f'<path id="torebka" d="{caps}" style="fill:#d9efdf;stroke:#2c6b40;stroke-width:3"/>',
          '<path id="kora" d="M118,230 C116,172 160,132 210,132 C262,134 292,180 288,234 C284,288 244,316 198,314 C150,312 120,282 118,230 Z" style="fill:#bfe3c9;stroke:none"/>',
          '<g id="grudki">' + ''.join(f'<circle cx="{205 + 70 * __import__("math").cos(a / 8 * 6.283)}" cy="{224 + 78 * __import__("math").sin(a / 8 * 6.283)}" r="17" style="fill:#6cbf86;stroke:#2c6b40;stroke-width:1.2"/>' for a in range(8)) + '</g>',
          '<path id="rdzenw" d="M170,224 C170,190 240,190 240,224 C240,262 170,262 170,224 Z" style="fill:#9fd3ae;stroke:#2c6b40"/>',
          '<g id="doprow">' + ''.join(f'<path d="M{x},{y} L{x2},{y2}" style="stroke:#8fcf9f;stroke-width:6;stroke-linecap:round"/>' for x, y, x2, y2 in ((60, 150, 112, 180), (150, 70, 170, 118), (250, 70, 238, 118))) + '</g>',
          '<path id="odprow" d="M300,250 C330,260 350,280 360,310" style="fill:none;stroke:#2c8a4c;stroke-width:8;stroke-linecap:round"/>',
          '<g id="naczkrw"><path d="M300,228 C330,226 350,216 366,200" style="fill:none;stroke:#c8323c;stroke-width:5"/>'
          '<path d="M300,238 C330,238 352,232 368,222" style="fill:none;stroke:#3d5fa8;stroke-width:5"/></g>')
    p.spot('TOREBKA', 'Torebka', 'torebka', (104, 250), 'L')
    p.spot('GRUDKI', 'Grudki chłonne', 'grudki', (144, 268), 'L', y=300)
    p.spot('KORA', 'Kora węzła', 'kora', (130, 200), 'L')
    p.spot('DOPROW', 'Naczynia doprowadzające', 'doprow', (86, 165), 'L', y=130)
    p.spot('RDZENW', 'Rdzeń węzła', 'rdzenw', (205, 224), 'R', y=190)
    p.spot('ODPROW', 'Naczynie odprowadzające', 'odprow', (340, 280), 'R', y=290)
    p.spot('NACZKRW', 'Tętnica i żyła', 'naczkrw', (350, 214), 'R', y=232)
    return p


PLATES = [overview, node]
