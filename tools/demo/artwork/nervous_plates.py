"""The nervous system: the whole system, the brain, the spinal cord in section, a neuron."""

from plate import *
from lupa import lupa

Y = '#e0b42f'


def overview():
    p = Plate('NERVOS', 'Układ nerwowy', 'Ośrodkowy i obwodowy układ nerwowy', 'NERVOS')
    m = MALE
    pl = Place((0, 0, 106, 195.4), (96, 54, 206, 418))
    inner = (f'<g id="nerwy">{organ(m, "UBERON_0001021", Y, stroke="#8a6a12", w=0.05)}</g>'
             f'<g id="rdzen">{organ(m, "UBERON_0002240", "#e8a82a", stroke="#8a6a12", w=0.15)}</g>'
             f'<g id="mozg">{organ(m, "UBERON_0000955", "#f0c66b", stroke="#8a6a12", w=0.15)}</g>'
             f'<g id="mozdzek">{organ(m, "UBERON_0002037", "#d9a23a", stroke="#8a6a12", w=0.15)}</g>')
    p.art(pl.g(figure(m, inner)))
    s = pl.pt
    p.spot('NERWY', 'Nerwy obwodowe', 'nerwy', s(24, 78), 'L')
    p.spot('RDZENK', 'Rdzeń kręgowy', 'rdzen', s(53, 60), 'R', link='NRDZEN')
    p.spot('MOZG', 'Mózgowie', 'mozg', s(50, 5), 'L', link='NMOZG')
    p.spot('MOZDZEK', 'Móżdżek', 'mozdzek', s(55, 9.5), 'R')
    return p


def brain():
    p = Plate('NMOZG', 'Mózgowie', 'Płaty kresomózgowia – widok z boku', 'NERVOS')
    b = BRAIN
    box = (79, 66, 65, 56)
    pl = Place(box, (90, 90, 218, 188))
    lateral = (80, 66, 66, 56)
    lobes = [('czolowy', 'UBERON_0001870', '#f2c46b'), ('ciemien', 'UBERON_0001872', '#8fc1e3'),
             ('potylicz', 'UBERON_0002021', '#b9a3dc'), ('skroniow', 'UBERON_0001871', '#9fd39a'),
             ('mozdzekm', 'UBERON_0002037', '#e59a7e')]
    p.cut(pl, A.silhouette(b, 'fill:none') + b.outline('fill:#8d8f91'), fade=False)
    p.art(pl.g(''.join(f'<g id="{i}">{b.shape(u, f"fill:{c};stroke:#555;stroke-width:0.15;opacity:0.85", region=lateral)}</g>'
                       for i, u, c in lobes)))
    p.art(lupa('lupan', 168, 176))
    p.art(text(196, 320, 'przód ◂', 10, fill='#7a8794', anchor='end', style='font-style:italic'),
          text(202, 320, '▸ tył', 10, fill='#7a8794', anchor='start', style='font-style:italic'))
    s = pl.pt
    p.spot('CZOLOWY', 'Płat czołowy', 'czolowy', s(92, 82), 'L')
    p.spot('LUPAN', 'Komórka nerwowa', 'lupan', (160, 182), 'L', link='NNEURON', y=200)
    p.spot('SKRONIOW', 'Płat skroniowy', 'skroniow', s(108, 102), 'L', y=260)
    p.spot('CIEMIENM', 'Płat ciemieniowy', 'ciemien', s(124, 80), 'R')
    p.spot('POTYLICZ', 'Płat potyliczny', 'potylicz', s(136, 96), 'R')
    p.spot('MOZDZEKM', 'Móżdżek', 'mozdzekm', s(128, 111), 'R')
    return p


def cord():
    p = Plate('NRDZEN', 'Rdzeń kręgowy', 'Przekrój poprzeczny', 'NERVOS')
    white = 'M199,110 C270,110 310,150 310,210 C310,270 270,310 199,310 C128,310 88,270 88,210 C88,150 128,110 199,110 Z'
    grey = ('M199,170 C210,150 236,126 250,138 C262,150 236,184 224,200 C240,216 272,246 262,272 C250,290 222,262 204,236 '
            'L194,236 C176,262 148,290 136,272 C126,246 158,216 174,200 C162,184 136,150 148,138 C162,126 188,150 199,170 Z')
    p.art('<path id="opony" d="M199,98 C280,98 322,144 322,210 C322,276 280,322 199,322 C118,322 76,276 76,210 C76,144 118,98 199,98 Z" style="fill:#dfe9f2;stroke:#6f8fae;stroke-width:1.5"/>',
          f'<path id="biala" d="{white}" style="fill:#fbf3dc;stroke:#b39b5a;stroke-width:1.5"/>',
          f'<path id="szara" d="{grey}" style="fill:#9c8f86;stroke:#6d625b;stroke-width:1.2"/>',
          '<circle id="kanal" cx="199" cy="206" r="5" style="fill:#ffffff;stroke:#6d625b"/>',
          '<path id="tylny" d="M246,140 C270,112 300,92 340,80" style="fill:none;stroke:#e0b42f;stroke-width:9;stroke-linecap:round"/>',
          '<ellipse id="zwoj" cx="312" cy="92" rx="18" ry="12" transform="rotate(-20 312 92)" style="fill:#e8a82a;stroke:#8a6a12;stroke-width:1.2"/>',
          '<path id="przedni" d="M244,270 C270,300 300,320 340,330" style="fill:none;stroke:#d98c3f;stroke-width:9;stroke-linecap:round"/>',
          '<path d="M152,140 C128,112 98,92 58,80 M154,270 C128,300 98,320 58,330" style="fill:none;stroke:#e0b42f;stroke-width:9;stroke-linecap:round;opacity:0.6"/>')
    p.art(text(199, 95, 'tył', 10, fill='#7a8794', anchor='middle', style='font-style:italic'),
          text(199, 340, 'przód', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    p.zoom((50, 70, 300, 280))
    p.spot('OPONY', 'Opony rdzenia', 'opony', (92, 180), 'L')
    p.spot('BIALA', 'Istota biała', 'biala', (120, 250), 'L')
    p.spot('SZARA', 'Istota szara', 'szara', (150, 150), 'L', y=125)
    p.spot('KANAL', 'Kanał środkowy', 'kanal', (199, 206), 'L', y=215)
    p.spot('ZWOJ', 'Zwój rdzeniowy', 'zwoj', (312, 92), 'R')
    p.spot('TYLNY', 'Korzeń tylny', 'tylny', (262, 124), 'R')
    p.spot('PRZEDNI', 'Korzeń przedni', 'przedni', (290, 312), 'R')
    return p


def neuron():
    p = Plate('NNEURON', 'Komórka nerwowa', 'Neuron i synapsa', 'NERVOS')
    p.zoom((60, 34, 290, 410))
    dend = ''.join(f'<path d="M140,130 C{120 + dx},{110 + dy} {100 + dx * 1.5},{90 + dy * 1.4} {90 + dx * 2},{70 + dy * 2}" '
                   f'style="fill:none;stroke:#c99a1f;stroke-width:{4 - k * 0.4};stroke-linecap:round"/>'
                   for k, (dx, dy) in enumerate([(-10, -10), (10, -20), (30, -25), (-20, 10), (-25, 30), (5, 35)]))
    p.art(f'<g id="dendryt">{dend}</g>',
          '<path id="cialo" d="M140,100 C172,96 186,124 178,146 C170,170 130,172 116,152 C102,130 112,104 140,100 Z" style="fill:#f0c66b;stroke:#8a6a12;stroke-width:1.5"/>',
          '<circle id="jadron" cx="144" cy="134" r="11" style="fill:#8a5fb5;stroke:#4d2f70;stroke-width:1.2"/>',
          '<path id="akson" d="M172,158 C200,190 220,230 232,290 C240,330 248,360 258,388" style="fill:none;stroke:#c99a1f;stroke-width:4"/>')
    sheath = ''.join(f'<rect x="-7" y="{k * 36}" width="14" height="30" rx="7" transform="translate(0,0)" style="fill:#f7f0dc;stroke:#9a8a5a;stroke-width:1.2"/>' for k in range(5))
    p.art(f'<g id="oslonka" transform="translate(205,196) rotate(-17)">{sheath}</g>',
          '<g id="zakoncz"><path d="M258,388 C250,404 240,414 226,420 M258,388 C262,406 266,416 262,428 M258,388 C272,400 286,406 298,408" style="fill:none;stroke:#c99a1f;stroke-width:3"/>'
          '<circle cx="226" cy="420" r="6" style="fill:#e8a82a"/><circle cx="262" cy="428" r="6" style="fill:#e8a82a"/><circle cx="298" cy="408" r="6" style="fill:#e8a82a"/></g>',
          '<rect id="wezel" x="203" y="223" width="10" height="8" transform="rotate(-17 208 227)" style="fill:#1f5a8c;opacity:0.0"/>')
    p.spot('DENDRYT', 'Dendryty', 'dendryt', (100, 100), 'L')
    p.spot('CIALO', 'Ciało komórki', 'cialo', (120, 150), 'L', y=170)
    p.spot('JADRON', 'Jądro komórkowe', 'jadron', (144, 134), 'R', y=120)
    p.spot('AKSON', 'Akson (neuryt)', 'akson', (190, 182), 'R', y=170)
    p.spot('OSLONKA', 'Osłonka mielinowa', 'oslonka', (222, 270), 'R', y=250)
    p.spot('WEZEL', 'Przewężenie Ranviera', 'wezel', (208, 227), 'L', y=240)
    p.spot('ZAKONCZ', 'Zakończenia aksonu', 'zakoncz', (262, 428), 'R', y=420)
    return p


PLATES = [overview, brain, cord, neuron]
