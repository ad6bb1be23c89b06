"""The circulatory system: arteries and veins, the heart, the wall of the vessels."""

from plate import *
from lupa import lupa

RED, BLUE = '#c8323c', '#3d5fa8'


def overview():
    p = Plate('CIRCOL', 'Układ krążenia', 'Serce, tętnice i żyły', 'CIRCOL')
    m = MALE
    pl = Place((0, 0, 106, 195.4), (96, 54, 206, 418))
    inner = (f'<g id="zyly" transform="translate(1.3,0.4)">{organ(m, "UBERON_0001981", BLUE, stroke="none", w=0)}</g>'
             f'<g id="tetnice">{organ(m, "UBERON_0000178", RED, stroke="none", w=0)}</g>'
             f'<g id="aorta">{organ(m, "UBERON_0000947", "#a51f2b", stroke="#5e0f16", w=0.12)}</g>'
             f'<g id="serce">{organ(m, "UBERON_0000948", "#b3202c", stroke="#5e0f16", w=0.15)}</g>')
    p.art(pl.g(figure(m, inner)))
    s = pl.pt
    p.spot('TETNICE', 'Tętnice', 'tetnice', s(27, 70), 'L')
    p.spot('ZYLY', 'Żyły', 'zyly', s(81, 72), 'R')
    p.spot('AORTA', 'Aorta', 'aorta', s(53.5, 70), 'R', y=s(0, 62)[1])
    p.spot('SERCE', 'Serce', 'serce', s(52, 46), 'L', link='CSERCE')
    return p


def heart():
    p = Plate('CSERCE', 'Serce', 'Przekrój – cztery jamy serca', 'CIRCOL')
    p.zoom((60, 50, 290, 400))
    outer = ('M120,190 C110,140 150,110 196,120 C230,100 290,110 300,170 C312,240 280,320 214,400 '
             'C206,410 196,410 190,400 C140,330 126,260 120,190 Z')
    p.art(f'<path id="sercew" d="{outer}" style="fill:#b3202c;stroke:#5e0f16;stroke-width:2"/>',
          '<path id="zylag" d="M130,60 L166,60 L166,176 L130,176 Z" style="fill:#3d5fa8;stroke:#1f3a70;stroke-width:1.5"/>',
          '<path id="zylad" d="M132,300 L160,300 L158,350 L134,350 Z" style="fill:#3d5fa8;stroke:#1f3a70;stroke-width:1.5"/>',
          '<path id="aortac" d="M196,160 C190,110 200,70 240,62 C280,56 310,80 312,120 L288,124 C286,96 268,86 246,90 C226,94 220,120 224,160 Z" style="fill:#c8323c;stroke:#5e0f16;stroke-width:1.5"/>',
          '<path id="pnien" d="M230,170 C236,140 252,120 280,112 L330,104 L332,126 L286,136 C266,142 258,158 256,176 Z" style="fill:#5f7fc0;stroke:#1f3a70;stroke-width:1.5"/>',
          '<path id="przedsd" d="M140,180 C150,160 190,160 196,190 C200,220 180,240 150,236 C132,232 130,200 140,180 Z" style="fill:#e9a0a6;stroke:#7a1a20;stroke-width:1.2"/>',
          '<path id="przedsl" d="M228,190 C240,166 282,168 286,196 C288,222 266,236 240,232 C222,228 220,206 228,190 Z" style="fill:#f2b9a0;stroke:#7a1a20;stroke-width:1.2"/>',
          '<path id="komorad" d="M146,252 C170,246 196,250 200,262 L204,372 C186,360 160,320 146,252 Z" style="fill:#e9a0a6;stroke:#7a1a20;stroke-width:1.2"/>',
          '<path id="komoral" d="M214,252 C240,244 276,246 282,262 C280,310 250,360 212,384 Z" style="fill:#f2b9a0;stroke:#7a1a20;stroke-width:1.2"/>',
          '<g id="zastawka"><path d="M152,240 L170,252 L188,240" style="fill:none;stroke:#fff3d6;stroke-width:3.5"/>'
          '<path d="M232,238 L250,252 L270,238" style="fill:none;stroke:#fff3d6;stroke-width:3.5"/></g>',
          '<path id="przegroda" d="M204,200 L208,384" style="stroke:#7a1a20;stroke-width:6"/>',
          lupa('lupac', 300, 72, r=10))
    arrows = ('<path d="M148,110 V160" style="stroke:#ffffff;stroke-width:2;marker-end:none"/>'
              '<path d="M142,150 L148,162 L154,150" style="fill:none;stroke:#ffffff;stroke-width:2"/>')
    p.art(arrows)
    p.spot('ZYLAG', 'Żyła główna górna', 'zylag', (148, 90), 'L')
    p.spot('PRZEDSD', 'Przedsionek prawy', 'przedsd', (150, 205), 'L')
    p.spot('ZASTAWKA', 'Zastawki serca', 'zastawka', (170, 251), 'L', y=262)
    p.spot('KOMORAD', 'Komora prawa', 'komorad', (176, 300), 'L', y=312)
    p.spot('ZYLAD', 'Żyła główna dolna', 'zylad', (146, 330), 'L', y=352)
    p.spot('AORTAC', 'Aorta', 'aortac', (232, 74), 'R', y=58)
    p.spot('LUPAC', 'Ściana naczynia', 'lupac', (310, 72), 'R', link='CNACZ', y=84)
    p.spot('PNIEN', 'Pień płucny', 'pnien', (300, 120), 'R')
    p.spot('PRZEDSL', 'Przedsionek lewy', 'przedsl', (262, 204), 'R')
    p.spot('PRZEGROD', 'Przegroda', 'przegroda', (206, 300), 'R', y=262)
    p.spot('KOMORAL', 'Komora lewa', 'komoral', (256, 300), 'R')
    return p


def vessels():
    p = Plate('CNACZ', 'Naczynia krwionośne', 'Budowa ściany tętnicy i żyły', 'CIRCOL')
    def ring(cx, cy, rs, fills, ident):
        parts = ''.join(f'<circle cx="{cx}" cy="{cy}" r="{r}" style="fill:{f};stroke:#5e0f16;stroke-width:0.8"/>' for r, f in zip(rs, fills))
        return f'<g id="{ident}">{parts}</g>'
    p.art(ring(150, 170, (64, 56, 30, 24), ('#f4e1c8', '#c4554d', '#f0d6d0', '#f7eeee'), 'tetnica'),
          ring(258, 176, (52, 47, 38, 34), ('#e8e0d2', '#8fa8d6', '#dfe6f5', '#f2f5fb'), 'zyla'))
    p.art('<circle id="zewn" cx="150" cy="170" r="64" style="fill:none;stroke:#b08a5a;stroke-width:8;opacity:0.7"/>',
          '<circle id="srodk" cx="150" cy="170" r="43" style="fill:none;stroke:#a3362f;stroke-width:20;opacity:0.5"/>',
          '<circle id="wewn" cx="150" cy="170" r="27" style="fill:none;stroke:#f2c9c3;stroke-width:5"/>')
    p.defs = ('<linearGradient id="krew" gradientUnits="userSpaceOnUse" x1="120" y1="0" x2="280" y2="0">'
              '<stop offset="0" stop-color="#c8323c"/><stop offset="1" stop-color="#3d5fa8"/></linearGradient>')
    cap = ''.join(f'<path d="M120,{300 + k * 14} C{160 + (k % 2) * 20},{290 + k * 16} {230 - (k % 2) * 20},{318 + k * 12} 280,{300 + k * 14}" '
                  f'style="fill:none;stroke:url(#krew);stroke-width:3"/>' for k in range(5))
    p.art(f'<g id="wlosowate">{cap}</g>',
          '<path d="M120,286 V366" style="stroke:#c8323c;stroke-width:9;stroke-linecap:round"/>',
          '<path d="M280,286 V366" style="stroke:#3d5fa8;stroke-width:9;stroke-linecap:round"/>')
    p.art(text(150, 256, 'tętnica', 11, fill='#5e0f16', anchor='middle', style='font-style:italic'),
          text(258, 256, 'żyła', 11, fill='#1f3a70', anchor='middle', style='font-style:italic'),
          text(199, 392, 'sieć naczyń włosowatych', 11, fill='#5e0f16', anchor='middle', style='font-style:italic'))
    p.spot('ZEWN', 'Błona zewnętrzna', 'zewn', (100, 128), 'L', y=100)
    p.spot('SRODK', 'Błona środkowa', 'srodk', (120, 180), 'L')
    p.spot('WEWN', 'Śródbłonek', 'wewn', (140, 196), 'L', y=220)
    p.spot('TETNICA', 'Tętnica', 'tetnica', (150, 236), 'L', y=262)
    p.spot('ZYLA', 'Żyła', 'zyla', (296, 160), 'R')
    p.spot('WLOSOW', 'Naczynia włosowate', 'wlosowate', (240, 330), 'R')
    return p


PLATES = [overview, heart, vessels]
