"""The skeleton: the whole skeleton, the skull, the spine and one vertebra."""

from plate import *

BONE_FILL, BONE_LINE = '#f4eedd', '#8c7b58'
BST = f'fill:{BONE_FILL};stroke:{BONE_LINE};stroke-width:1.2'
DARK = '#5b4a36'


def overview():
    p = Plate('SCHEL1', 'Układ kostny', 'Szkielet człowieka – widok z przodu', 'SCHEL1')
    pl = Place((0, 0, 106, 195.4), (96, 54, 206, 418))
    p.art(pl.g(A.silhouette(MALE, 'fill:#eef1f4;stroke:none') + MALE.outline('fill:#c9ced3') + body.skeleton(w=0.3, ids=True)))
    s = lambda x, y: pl.pt(x, y)
    p.spot('ZEBRA', 'Żebra', 'zebra', s(62, 44), 'R')
    p.spot('KREGOSL', 'Kręgosłup', 'kregoslup', s(53.5, 75), 'R', link='SKREG')
    p.spot('MIEDNICA', 'Miednica', 'miednica', s(64, 86), 'R')
    p.spot('CZASZKA', 'Czaszka', 'czaszka', s(48, 6), 'L', link='SCZASZKA')
    p.spot('OBOJCZYK', 'Obojczyk', 'obojczyk', s(42, 33.5), 'L')
    p.spot('RAMIENNA', 'Kość ramienna', 'ramie ramie_p', s(31, 50), 'L')
    p.spot('PROMIEN', 'Kość promieniowa', 'promien promien_p', s(19.8, 80), 'L')
    p.spot('LOKCIOWA', 'Kość łokciowa', 'lokciowa lokciowa_p', s(83.8, 80), 'R')
    p.spot('UDOWA', 'Kość udowa', 'udowa udowa_p', s(43.8, 115), 'L')
    p.spot('PISZCZEL', 'Kość piszczelowa', 'piszczel piszczel_p', s(43.4, 160), 'L')
    p.spot('STRZALKA', 'Kość strzałkowa', 'strzalka strzalka_p', s(65.7, 160), 'R')
    return p


def skull():
    p = Plate('SCZASZKA', 'Czaszka', 'Widok z przodu', 'SCHEL1')
    st = BST
    cranium = ('M199,70 C262,70 296,112 296,172 C296,205 290,226 284,244 L276,262 C270,290 262,318 246,338 '
               'L152,338 C136,318 128,290 122,262 L114,244 C108,226 102,205 102,172 C102,112 136,70 199,70 Z')
    frontal = 'M199,74 C256,74 290,110 292,160 L268,186 C250,172 226,168 199,168 C172,168 148,172 130,186 L106,160 C108,110 142,74 199,74 Z'
    parietal_l = 'M130,100 C118,118 106,140 104,168 L110,178 C112,150 118,124 136,104 Z'
    parietal_r = 'M268,100 C280,118 292,140 294,168 L288,178 C286,150 280,124 262,104 Z'
    temporal_l = 'M106,196 C104,222 110,244 118,258 L132,250 C128,232 126,214 128,196 Z'
    temporal_r = 'M292,196 C294,222 288,244 280,258 L266,250 C270,232 272,214 270,196 Z'
    orbit_l = 'M132,196 C136,176 158,172 178,178 C188,184 190,200 186,218 C178,232 150,234 138,224 C132,216 130,206 132,196 Z'
    orbit_r = 'M266,196 C262,176 240,172 220,178 C210,184 208,200 212,218 C220,232 248,234 260,224 C266,216 268,206 266,196 Z'
    nasal = 'M193,190 L205,190 L209,226 L189,226 Z'
    cavity = 'M188,228 L210,228 C218,244 220,262 212,272 L199,268 L186,272 C178,262 180,244 188,228 Z'
    zyg_l = 'M122,236 C134,232 150,238 160,248 L156,262 C144,256 132,254 124,256 Z'
    zyg_r = 'M276,236 C264,232 248,238 238,248 L242,262 C254,256 266,254 274,256 Z'
    maxilla = 'M156,256 C170,276 186,280 199,280 C212,280 228,276 242,256 L248,292 C232,302 216,306 199,306 C182,306 166,302 150,292 Z'
    mandible = ('M138,300 C140,336 156,372 178,384 C190,390 208,390 220,384 C242,372 258,336 260,300 L248,306 '
                'C244,336 232,360 214,368 L184,368 C166,360 154,336 150,306 Z')
    teeth_up = ''.join(f'<rect x="{168 + i * 7.8:.1f}" y="300" width="6.6" height="12" rx="2" style="fill:#fffdf6;stroke:{BONE_LINE};stroke-width:0.8"/>' for i in range(8))
    teeth_lo = ''.join(f'<rect x="{170 + i * 7.3:.1f}" y="314" width="6.2" height="11" rx="2" style="fill:#fffdf6;stroke:{BONE_LINE};stroke-width:0.8"/>' for i in range(8))
    sutures = ('<path d="M132,186 C150,172 176,166 199,166 C222,166 248,172 266,186" style="fill:none;stroke:#a08e68;stroke-width:1;stroke-dasharray:3,2"/>'
               '<path d="M199,74 L199,166" style="fill:none;stroke:#a08e68;stroke-width:0.8;stroke-dasharray:3,2"/>')
    p.art(f'<path d="{cranium}" style="{st}"/>',
          f'<path id="czolowa" d="{frontal}" style="fill:#efe5cc;stroke:none"/>',
          f'<path id="ciemien_l" d="{parietal_l}" style="fill:#e6dabb"/><path id="ciemien_p" d="{parietal_r}" style="fill:#e6dabb"/>',
          f'<path id="skron_l" d="{temporal_l}" style="fill:#e8ddbf;stroke:{BONE_LINE}"/><path id="skron_p" d="{temporal_r}" style="fill:#e8ddbf;stroke:{BONE_LINE}"/>',
          sutures,
          f'<g style="{st}"><path id="jarzmowa_l" d="{zyg_l}"/><path id="jarzmowa_p" d="{zyg_r}"/></g>',
          f'<path id="szczeka" d="{maxilla}" style="{st}"/>',
          f'<path id="zuchwa" d="{mandible}" style="{st}"/>',
          f'<g id="zeby">{teeth_up}{teeth_lo}</g>',
          f'<path id="oczodol_l" d="{orbit_l}" style="fill:{DARK};stroke:{BONE_LINE};stroke-width:1.5"/>'
          f'<path id="oczodol_p" d="{orbit_r}" style="fill:{DARK};stroke:{BONE_LINE};stroke-width:1.5"/>',
          f'<path d="{cavity}" style="fill:{DARK};stroke:{BONE_LINE};stroke-width:1.2"/>',
          f'<path id="nosowa" d="{nasal}" style="{st}"/>')
    p.spot('CZOLOWA', 'Kość czołowa', 'czolowa', (199, 120), 'R', y=104)
    p.spot('CIEMIEN', 'Kość ciemieniowa', 'ciemien_l ciemien_p', (124, 130), 'L', y=110)
    p.spot('SKRON', 'Kość skroniowa', 'skron_l skron_p', (116, 226), 'L')
    p.spot('OCZODOL', 'Oczodół', 'oczodol_l oczodol_p', (252, 206), 'R')
    p.spot('NOSOWA', 'Kość nosowa', 'nosowa', (199, 205), 'L', y=190)
    p.spot('JARZMOWA', 'Kość jarzmowa', 'jarzmowa_l jarzmowa_p', (262, 248), 'R')
    p.spot('SZCZEKA', 'Szczęka', 'szczeka', (160, 286), 'L')
    p.spot('ZEBY', 'Zęby', 'zeby', (232, 307), 'R')
    p.spot('ZUCHWA', 'Żuchwa', 'zuchwa', (160, 352), 'L')
    return p


def vertebra_shape(x, y, w, h, fill, ident=None):
    i = f' id="{ident}"' if ident else ''
    return (f'<g{i}><rect x="{x:.1f}" y="{y:.1f}" width="{w:.1f}" height="{h:.1f}" rx="{h * 0.25:.1f}" style="fill:{fill};stroke:{BONE_LINE};stroke-width:1"/>'
            f'<path d="M{x + w:.1f},{y + h * 0.3:.1f} L{x + w + w * 0.55:.1f},{y + h * 0.55:.1f} L{x + w:.1f},{y + h * 0.8:.1f}" style="fill:{fill};stroke:{BONE_LINE};stroke-width:1"/></g>')


def spine():
    p = Plate('SKREG', 'Kręgosłup', 'Widok z boku – krzywizny i odcinki', 'SCHEL1')
    parts = []
    # The column's S-curve: centre x for a height y, front to the left.
    import math
    def cx(y):
        return 199 + 14 * math.sin((y - 64) / 330 * 2 * math.pi)
    sections = [('szyjny', 7, 7.6, 24, '#e9e3f3'), ('piersiow', 12, 9.6, 28, '#f4eedd'), ('ledzw', 5, 13.5, 36, '#e3efe4')]
    y = 64
    groups = {}
    lumbar = None
    for ident, n, h, w, fill in sections:
        g = []
        for k in range(n):
            x = cx(y) - w / 2
            g.append(vertebra_shape(x, y, w, h, fill, ident='kreg' if ident == 'ledzw' and k == 2 else None))
            if ident == 'ledzw' and k == 2:
                lumbar = (x + w / 2, y + h / 2)
            g.append(f'<rect x="{x + 2:.1f}" y="{y + h:.1f}" width="{w - 4:.1f}" height="2.6" rx="1.2" style="fill:#9cc3dd;stroke:#5f8cae;stroke-width:0.6"/>')
            y += h + 2.6
        groups[ident] = (g, y)
        parts.append(f'<g id="{ident}">{"".join(g)}</g>')
    sacrum = f'M{cx(y) - 20:.1f},{y:.1f} L{cx(y) + 22:.1f},{y:.1f} C{cx(y) + 26:.1f},{y + 24:.1f} {cx(y) + 14:.1f},{y + 44:.1f} {cx(y) + 2:.1f},{y + 54:.1f} C{cx(y) - 10:.1f},{y + 40:.1f} {cx(y) - 22:.1f},{y + 20:.1f} {cx(y) - 20:.1f},{y:.1f} Z'
    parts.append(f'<path id="krzyz" d="{sacrum}" style="fill:#f0e2c8;stroke:{BONE_LINE};stroke-width:1"/>')
    cy0 = y + 58
    parts.append(f'<g id="guzicz">' + ''.join(f'<ellipse cx="{cx(y) + 4 - k * 3:.1f}" cy="{cy0 + k * 7:.1f}" rx="{5 - k:.1f}" ry="3" style="fill:#f0e2c8;stroke:{BONE_LINE}"/>' for k in range(3)) + '</g>')
    # The spinal canal behind the bodies.
    parts.insert(0, f'<path d="M{cx(64) + 22:.1f},64 ' + ' '.join(f'L{cx(t) + 22:.1f},{t}' for t in range(74, int(y), 10)) + '" style="fill:none;stroke:#f2d27a;stroke-width:6;opacity:0.8"/>')
    p.art(*parts)
    p.art(text(120, 74, 'przód', 10, fill='#7a8794', anchor='middle', style='font-style:italic'),
          text(278, 74, 'tył', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    p.spot('SZYJNY', 'Odcinek szyjny', 'szyjny', (cx(90) - 10, 90), 'L')
    p.spot('PIERSIOW', 'Odcinek piersiowy', 'piersiow', (cx(200) - 12, 200), 'L')
    p.spot('LEDZW', 'Odcinek lędźwiowy', 'ledzw', (cx(320) - 16, 320), 'L')
    p.spot('KREG', 'Kręg lędźwiowy', 'kreg', lumbar, 'R', link='SKREGI')
    p.spot('KRAZEK', 'Krążek międzykręgowy', 'krazek', (cx(150) + 12, 151.3), 'R')
    p.spot('KRZYZ', 'Kość krzyżowa', 'krzyz', (cx(y + 30) + 4, y + 30), 'L', y=y + 34)
    p.spot('GUZICZ', 'Kość guziczna', 'guzicz', (cx(y) + 2, cy0 + 8), 'R')
    # One disc carries an id of its own for its hotspot.
    p.art(f'<rect id="krazek" x="{cx(150) - 13:.1f}" y="150" width="26" height="2.6" rx="1.2" style="fill:#9cc3dd;stroke:#3d6f95;stroke-width:0.8"/>')
    return p


def vertebra():
    p = Plate('SKREGI', 'Kręg lędźwiowy', 'Widok od góry', 'SCHEL1')
    st = BST
    body_ = 'M140,150 C140,110 258,110 258,150 C258,196 232,214 199,214 C166,214 140,196 140,150 Z'
    arch = ('M160,206 C150,240 156,268 176,284 L222,284 C242,268 248,240 238,206 C226,214 212,218 199,218 '
            'C186,218 172,214 160,206 Z')
    foramen = 'M176,232 C176,220 222,220 222,232 C222,252 212,266 199,266 C186,266 176,252 176,232 Z'
    spinous = 'M186,282 L212,282 L206,380 C204,390 194,390 192,380 Z'
    trans_l = 'M168,244 L96,226 C88,226 86,240 94,244 L166,262 Z'
    trans_r = 'M230,244 L302,226 C310,226 312,240 304,244 L232,262 Z'
    art_l = '<ellipse cx="164" cy="282" rx="14" ry="10" style="fill:#e6dabb;stroke:#8c7b58;stroke-width:1.2"/>'
    art_r = '<ellipse cx="234" cy="282" rx="14" ry="10" style="fill:#e6dabb;stroke:#8c7b58;stroke-width:1.2"/>'
    disc = 'M126,150 C126,96 272,96 272,150 C272,204 240,226 199,226 C158,226 126,204 126,150 Z'
    p.art(f'<path id="krazekg" d="{disc}" style="fill:#b9d7ea;stroke:#5f8cae;stroke-width:1.2;opacity:0.9"/>',
          f'<g id="poprzecz"><path d="{trans_l}" style="{st}"/><path d="{trans_r}" style="{st}"/></g>',
          f'<path id="kolczys" d="{spinous}" style="{st}"/>',
          f'<path id="luk" d="{arch}" style="{st}"/>',
          f'<g id="stawowy">{art_l}{art_r}</g>',
          f'<path id="trzon" d="{body_}" style="fill:#efe3c6;stroke:#8c7b58;stroke-width:1.4"/>',
          f'<ellipse cx="199" cy="158" rx="34" ry="22" style="fill:#e4d4ae;opacity:0.6"/>',
          f'<path id="otwor" d="{foramen}" style="fill:#5b4a36;stroke:#8c7b58;stroke-width:1.2"/>',
          '<ellipse id="rdzen" cx="199" cy="240" rx="13" ry="10" style="fill:#f2d27a;stroke:#b08a2a;stroke-width:1"/>')
    p.art(text(199, 80, 'przód', 10, fill='#7a8794', anchor='middle', style='font-style:italic'),
          text(199, 408, 'tył', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    p.spot('KRAZEKG', 'Krążek międzykręgowy', 'krazekg', (138, 118), 'L', y=104)
    p.spot('TRZON', 'Trzon kręgu', 'trzon', (172, 160), 'L')
    p.spot('POPRZECZ', 'Wyrostek poprzeczny', 'poprzecz', (112, 234), 'L', y=208)
    p.spot('STAWOWY', 'Wyrostek stawowy', 'stawowy', (160, 284), 'L', y=300)
    p.spot('LUK', 'Łuk kręgu', 'luk', (232, 226), 'R', y=196)
    p.spot('OTWOR', 'Otwór kręgowy', 'otwor', (214, 256), 'R', y=262)
    p.spot('RDZEN', 'Rdzeń kręgowy', 'rdzen', (205, 238), 'R', y=230)
    p.spot('KOLCZYS', 'Wyrostek kolczysty', 'kolczys', (204, 340), 'R')
    return p


PLATES = [overview, skull, spine, vertebra]
