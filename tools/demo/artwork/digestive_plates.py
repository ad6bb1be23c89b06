"""The digestive system: the whole tract, the stomach, its wall, the liver with the pancreas."""

from plate import *

ORG = {'UBERON_0001044': '#e8a86b', 'UBERON_0001043': '#d98c3f', 'UBERON_0002107': '#9c4a2f',
       'UBERON_0000945': '#e0894f', 'UBERON_0002110': '#5f9e4a', 'UBERON_0001264': '#e8b64c',
       'UBERON_0002114': '#d9773f', 'UBERON_0002108': '#f0b48a', 'UBERON_0001155': '#c8743a',
       'UBERON_0001154': '#b35f2c', 'UBERON_0001052': '#a85530', 'UBERON_0001723': '#d0606a'}


def overview():
    p = Plate('DIGER1', 'Układ pokarmowy', 'Przewód pokarmowy i gruczoły trawienne', 'DIGER1')
    m = MALE
    pl = Place((31, 14, 44, 86), (96, 52, 206, 420))
    p.cut(pl, figure(m, ''))
    order = ['UBERON_0001155', 'UBERON_0002108', 'UBERON_0002107', 'UBERON_0000945', 'UBERON_0002114',
             'UBERON_0001264', 'UBERON_0002110', 'UBERON_0001154', 'UBERON_0001052', 'UBERON_0001043',
             'UBERON_0001044', 'UBERON_0001723']
    ids = {'UBERON_0001155': 'jgrube', 'UBERON_0002108': 'jcienkie', 'UBERON_0002107': 'watroba',
           'UBERON_0000945': 'zoladek', 'UBERON_0002114': 'dwunast', 'UBERON_0001264': 'trzustka',
           'UBERON_0002110': 'pecherz', 'UBERON_0001154': 'wyrostek', 'UBERON_0001052': 'odbyt',
           'UBERON_0001043': 'przelyk', 'UBERON_0001044': 'slinian', 'UBERON_0001723': 'jezyk'}
    p.art(pl.g(''.join(f'<g id="{ids[i]}">{organ(m, i, ORG[i], w=0.15)}</g>' for i in order)))
    s = pl.pt
    p.spot('JGRUBE', 'Jelito grube', 'jgrube', s(40, 76), 'L')
    p.spot('JCIENKIE', 'Jelito cienkie', 'jcienkie', s(57, 82), 'R')
    p.spot('WATROBA', 'Wątroba', 'watroba', s(46, 61), 'L', link='DWATR')
    p.spot('ZOLADEK', 'Żołądek', 'zoladek', s(60, 64), 'R', link='DZOLAD')
    p.spot('DWUNAST', 'Dwunastnica', 'dwunast', s(50.3, 73), 'L')
    p.spot('TRZUSTKA', 'Trzustka', 'trzustka', s(61, 69.6), 'R')
    p.spot('PECHERZ', 'Pęcherzyk żółciowy', 'pecherz', s(50, 68.3), 'L')
    p.spot('WYROSTEK', 'Wyrostek robaczkowy', 'wyrostek', s(43.8, 87.5), 'L')
    p.spot('ODBYT', 'Odbytnica', 'odbyt', s(53.4, 96), 'R')
    p.spot('PRZELYK', 'Przełyk', 'przelyk', s(53.8, 42), 'R')
    p.spot('SLINIAN', 'Ślinianki', 'slinian', s(47.5, 20.5), 'L')
    p.spot('JEZYK', 'Język', 'jezyk', s(53, 21.3), 'R')
    return p


def stomach():
    p = Plate('DZOLAD', 'Żołądek', 'Przekrój podłużny – widok z przodu', 'DIGER1')
    p.zoom((96, 56, 276, 350))
    oes = 'M188,60 L210,60 L214,148 L196,156 Z'
    outer = ('M196,150 C176,124 140,116 118,140 C96,166 100,214 112,256 C124,302 150,340 190,352 '
             'C230,364 276,352 304,330 L316,322 L322,342 L338,336 L334,300 L318,296 C290,316 256,322 232,310 '
             'C206,296 196,270 202,236 C206,206 216,180 214,150 Z')
    inner = ('M200,160 C184,140 150,134 132,152 C114,174 118,214 128,252 C138,292 160,324 194,334 '
             'C228,344 268,334 294,316 L304,310 C280,304 250,306 226,294 C198,280 184,258 188,230 '
             'C192,204 202,184 202,162 Z')
    rugae = ''.join(f'<path d="M{138 + k * 12},{172 + k * 18} C{150 + k * 12},{190 + k * 18} {150 + k * 14},{220 + k * 16} {170 + k * 12},{236 + k * 16}" '
                    f'style="fill:none;stroke:#b4504a;stroke-width:2;opacity:0.7"/>' for k in range(6))
    duod = 'M334,300 C356,296 370,318 364,350 C358,384 330,400 304,396 L306,380 C326,380 346,370 350,348 C354,326 346,312 336,316 Z'
    # Seen from the front the stomach lies on the body's left, the viewer's right: the fundus to
    # the right, the pylorus and duodenum towards the middle, as on the overview. Drawn the other
    # way round, the shapes are mirrored about the middle of the zoomed box (x = 234).
    p.art('<g transform="matrix(-1,0,0,1,468,0)">'
          f'<path id="przelykz" d="{oes}" style="fill:#d98c3f;stroke:#8a4a1f;stroke-width:1.4"/>'
          f'<path id="dwunastz" d="{duod}" style="fill:#d9773f;stroke:#8a4a1f;stroke-width:1.4"/>'
          f'<path id="sciana" d="{outer}" style="fill:#e0894f;stroke:#8a4a1f;stroke-width:1.6"/>'
          f'<path d="{inner}" style="fill:#f4c0a4;stroke:#b4504a;stroke-width:1"/>'
          f'<g id="faldy">{rugae}</g>'
          '<ellipse id="wpust" cx="202" cy="156" rx="12" ry="6" style="fill:#c05e34;stroke:#8a4a1f"/>'
          '<rect id="odzwier" x="314" y="300" width="14" height="34" rx="5" style="fill:#a3461f;stroke:#6d2e12"/>'
          '<path id="dno" d="M118,140 C130,126 160,122 180,132 L170,150 C150,142 132,146 124,156 Z" style="fill:#e9a070;opacity:0.0"/>'
          '</g>')
    p.spot('PRZELYKZ', 'Przełyk', 'przelykz', (269, 100), 'R')
    p.spot('WPUST', 'Wpust', 'wpust', (264, 156), 'L', y=150)
    p.spot('DNO', 'Dno żołądka', 'dno', (328, 138), 'R')
    p.spot('SCIANA', 'Ściana żołądka', 'sciana', (358, 230), 'R', link='DSCIANA')
    p.spot('FALDY', 'Fałdy błony śluzowej', 'faldy', (308, 250), 'R', y=300)
    p.spot('ODZWIER', 'Odźwiernik', 'odzwier', (147, 316), 'L', y=280)
    p.spot('DWUNASTZ', 'Dwunastnica', 'dwunastz', (116, 360), 'L', y=372)
    p.art(text(300, 190, 'trzon', 10, fill='#7a3a1a', anchor='middle', style='font-style:italic'),
          text(218, 206, 'krzywizna mniejsza', 9, fill='#7a3a1a', anchor='end', style='font-style:italic'),
          text(278, 376, 'krzywizna większa', 9, fill='#7a3a1a', anchor='middle', style='font-style:italic'))
    return p


def wall():
    p = Plate('DSCIANA', 'Ściana żołądka', 'Warstwy ściany w przekroju', 'DIGER1')
    layers = [('sluzowa', 'Błona śluzowa', '#f3b3a6', 70, 150), ('podsluz', 'Błona podśluzowa', '#f7dccb', 150, 200),
              ('miesnie', 'Błona mięśniowa', '#c4554d', 200, 320), ('surowicz', 'Błona surowicza', '#efe3d2', 320, 345)]
    x0, x1 = 110, 288
    out = []
    for ident, name, fill, y0, y1 in layers:
        out.append(f'<rect id="{ident}" x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" style="fill:{fill};stroke:#7a3a2a;stroke-width:1"/>')
    # Gastric pits and glands in the mucosa.
    glands = ''.join(f'<path d="M{x0 + 10 + k * 20},70 L{x0 + 10 + k * 20},128 C{x0 + 10 + k * 20},138 {x0 + 20 + k * 20},138 {x0 + 20 + k * 20},128 L{x0 + 20 + k * 20},70" '
                     f'style="fill:#fbe3dc;stroke:#b4504a;stroke-width:1"/>' for k in range(8))
    out.append(f'<g id="gruczoly">{glands}</g>')
    # Vessels in the submucosa.
    out.append('<g id="naczynia">' + ''.join(f'<ellipse cx="{x0 + 25 + k * 45}" cy="175" rx="7" ry="5" style="fill:#c8323c;stroke:#7a1a20"/>'
                                            f'<ellipse cx="{x0 + 42 + k * 45}" cy="178" rx="6" ry="4.5" style="fill:#3d5fa8;stroke:#1f3a70"/>' for k in range(4)) + '</g>')
    # Muscle layers: oblique, circular, longitudinal.
    fib = ''.join(f'<path d="M{x0},{205 + k * 6} L{x1},{225 + k * 6}" style="stroke:#8f2f29;stroke-width:1;opacity:0.6"/>' for k in range(5))
    fib += ''.join(f'<ellipse cx="{x0 + 12 + k * 22}" cy="262" rx="9" ry="5" style="fill:#b3443d;stroke:#8f2f29"/>' for k in range(8))
    fib += ''.join(f'<path d="M{x0},{292 + k * 6} H{x1}" style="stroke:#8f2f29;stroke-width:1;opacity:0.6"/>' for k in range(4))
    out.append(f'<g>{fib}</g>')
    out.append(text(199, 62, 'światło żołądka', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    out.append(text(199, 362, 'jama otrzewnej', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    p.art(*out)
    p.spot('GRUCZOLY', 'Gruczoły żołądkowe', 'gruczoly', (x0 + 55, 110), 'L', y=100)
    p.spot('SLUZOWA', 'Błona śluzowa', 'sluzowa', (x1 - 12, 140), 'R')
    p.spot('PODSLUZ', 'Błona podśluzowa', 'podsluz', (x0 + 8, 160), 'L')
    p.spot('NACZYNIA', 'Naczynia krwionośne', 'naczynia', (x1 - 40, 177), 'R', y=185)
    p.spot('MIESNIE', 'Błona mięśniowa', 'miesnie', (x0 + 10, 262), 'L')
    p.spot('SUROWICZ', 'Błona surowicza', 'surowicz', (x1 - 10, 332), 'R')
    return p


def liver():
    p = Plate('DWATR', 'Wątroba, trzustka i drogi żółciowe', 'Widok z przodu', 'DIGER1')
    p.zoom((64, 80, 304, 310))
    liver_ = ('M80,120 C120,92 230,84 310,100 C342,106 352,128 338,146 C316,174 268,196 222,208 '
              'C176,220 128,218 100,196 C76,176 66,140 80,120 Z')
    ligament = '<path d="M236,96 C230,130 226,170 224,206" style="fill:none;stroke:#6e2f1c;stroke-width:1.5"/>'
    gall = 'M196,206 C190,222 192,246 204,252 C216,256 222,238 216,214 Z'
    ducts = ('M210,214 C214,228 222,244 232,262 L236,286 M246,196 C240,214 234,232 232,262'
             ' M204,206 C206,214 208,224 214,232')
    duod = 'M236,280 C216,288 206,318 214,346 C222,372 252,382 276,376 L280,360 C258,364 236,356 230,338 C224,318 232,300 246,294 Z'
    pancreas = ('M244,300 C262,290 300,296 330,290 C350,286 366,292 364,302 C360,316 330,318 304,320 '
                'C282,322 266,330 252,334 C238,330 232,312 244,300 Z')
    pduct = '<path d="M252,318 C280,310 320,306 356,300" style="fill:none;stroke:#b08a2a;stroke-width:1.6"/>'
    p.art(f'<path id="watrobad" d="{liver_}" style="fill:#9c4a2f;stroke:#5e2616;stroke-width:1.6"/>',
          '<path d="M236,96 C270,96 320,100 336,120 C340,140 320,160 290,176 C270,186 248,196 226,204 Z" style="fill:#b35c3c;opacity:0.55"/>',
          ligament,
          f'<path id="dwunastw" d="{duod}" style="fill:#d9773f;stroke:#8a4a1f;stroke-width:1.4"/>',
          f'<path id="trzustd" d="{pancreas}" style="fill:#e8b64c;stroke:#98701c;stroke-width:1.4"/>', pduct,
          f'<path id="przewod" d="{ducts}" style="fill:none;stroke:#4f8a3c;stroke-width:4;stroke-linecap:round"/>',
          f'<path id="pecherzd" d="{gall}" style="fill:#5f9e4a;stroke:#2f5e22;stroke-width:1.4"/>',
          '<circle id="brodawka" cx="231" cy="300" r="4.5" style="fill:#f2d27a;stroke:#8a4a1f"/>')
    p.art(text(140, 160, 'płat prawy', 10, fill='#f3d8c8', anchor='middle', style='font-style:italic'),
          text(290, 140, 'płat lewy', 10, fill='#f3d8c8', anchor='middle', style='font-style:italic'))
    p.spot('WATROBAD', 'Wątroba', 'watrobad', (110, 130), 'L', y=112)
    p.spot('WIEZADLO', 'Więzadło sierpowate', 'wiezadlo', (232, 150), 'R', y=84 + 20)
    p.spot('PECHERZD', 'Pęcherzyk żółciowy', 'pecherzd', (202, 238), 'L')
    p.spot('PRZEWOD', 'Przewód żółciowy wspólny', 'przewod', (234, 270), 'R', y=236)
    p.spot('DWUNASTW', 'Dwunastnica', 'dwunastw', (214, 336), 'L')
    p.spot('BRODAWKA', 'Brodawka dwunastnicza', 'brodawka', (231, 300), 'L', y=292)
    p.spot('TRZUSTD', 'Trzustka', 'trzustd', (330, 302), 'R')
    p.art('<path id="wiezadlo" d="M232,100 L238,100 L230,204 L224,204 Z" style="fill:#6e2f1c;opacity:0.25"/>')
    return p


PLATES = [overview, stomach, wall, liver]
