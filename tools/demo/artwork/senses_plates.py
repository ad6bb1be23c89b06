"""The senses: the head with its sense organs, the eye, the tongue; the ear and its inner part."""

from plate import *
from lupa import lupa
from common import ear_icon


def overview():
    p = Plate('SENSO', 'Narządy zmysłów', 'Wzrok, słuch, węch i smak', 'SENSO')
    m = MALE
    pl = Place((38, 0, 30, 32), (100, 60, 198, 330))
    p.cut(pl, figure(m, ''))
    inner = (f'<g id="oko">{organ(m, "UBERON_0000970", "#3f8fc4", stroke="#1f4d6e", w=0.08)}</g>'
             f'<g id="nos">{organ(m, "UBERON_0001706", "#e59a7e", stroke="#8a4a3a", w=0.05)}{organ(m, "UBERON_0000004", "#e59a7e", stroke="#8a4a3a", w=0.05)}</g>'
             f'<g id="jama">{organ(m, "UBERON_0000167", "#f3c0c6", stroke="#8a3a4a", w=0.06)}</g>'
             f'<g id="jezykz">{organ(m, "UBERON_0001723", "#d0606a", stroke="#7a2a3a", w=0.06)}</g>'
             f'<g id="ucho">{ear_icon(61.7, 11.4, 0.9)}</g>')
    p.art(pl.g(inner))
    s = pl.pt
    p.spot('OKO', 'Oko', 'oko', s(50, 13.2), 'L', link='OKO')
    p.spot('NOS', 'Nos', 'nos', s(53, 15.5), 'L', y=s(0, 18)[1])
    p.spot('JAMA', 'Jama ustna', 'jama', s(52, 20.4), 'L', y=s(0, 22.5)[1])
    p.spot('JEZYKZ', 'Język', 'jezykz', s(53.5, 21.3), 'R', link='SJEZYK')
    p.spot('UCHO', 'Ucho', 'ucho', s(62.3, 11), 'R', link='ORECCH')
    return p


def eye():
    p = Plate('OKO', 'Oko', 'Przekrój gałki ocznej', 'SENSO')
    # Wide enough that the optic nerve ends before the right label column.
    p.zoom((30, 80, 370, 300))
    p.art('<circle id="twardowka" cx="220" cy="230" r="120" style="fill:#fbfbf7;stroke:#8a8a80;stroke-width:3"/>',
          '<circle id="siatkow" cx="220" cy="230" r="110" style="fill:#f6c2a8;stroke:#c0604a;stroke-width:4"/>',
          '<circle cx="220" cy="230" r="103" style="fill:#eef4f8;stroke:none"/>',
          # The choroid lines the back of the eye between the sclera and the retina.
          '<path id="naczyn" d="M154,135.8 A115,115 0 1 1 154,324.2" style="fill:none;stroke:#7a3a5a;stroke-width:6"/>',
          '<path id="rogowka" d="M104,170 C70,200 70,260 104,290" style="fill:#cfe6f5;fill-opacity:0.6;stroke:#5f9fc4;stroke-width:3"/>',
          '<g id="teczowka"><path d="M108,182 L118,212 M108,278 L118,248" style="stroke:#3f7fa4;stroke-width:8;stroke-linecap:round"/></g>',
          '<ellipse id="soczewka" cx="132" cy="230" rx="14" ry="34" style="fill:#e6f1fa;stroke:#5f8fb4;stroke-width:2"/>',
          '<g id="nerw"><path d="M336,240 C350,244 366,248 380,252 L380,282 C364,276 350,270 334,266 Z" style="fill:#f0c66b;stroke:#8a6a12;stroke-width:1.5"/></g>',
          '<circle id="plamka" cx="334" cy="238" r="6" style="fill:#e0b42f;stroke:#8a6a12"/>',
          '<path id="cialoszk" d="M200,170 L260,170 L260,290 L200,290 Z" style="fill:none;stroke:none"/>')
    p.art(text(230, 235, 'ciało szkliste', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    p.spot('ROGOWKA', 'Rogówka', 'rogowka', (82, 230), 'L')
    p.spot('TECZOWKA', 'Tęczówka i źrenica', 'teczowka', (112, 196), 'L', y=150)
    p.spot('SOCZEWKA', 'Soczewka', 'soczewka', (132, 260), 'L', y=290)
    p.spot('TWARDOWK', 'Twardówka', 'twardowka', (220, 112), 'R', y=100)
    p.spot('NACZYN', 'Naczyniówka', 'naczyn', (171.4, 334.2), 'L', y=350)
    p.spot('CIALOSZK', 'Ciało szkliste', 'cialoszk', (230, 250), 'R', y=180)
    p.spot('SIATKOW', 'Siatkówka', 'siatkow', (300, 300), 'R')
    p.spot('PLAMKA', 'Plamka żółta', 'plamka', (334, 238), 'R', y=226)
    p.spot('NERWWZ', 'Nerw wzrokowy', 'nerw', (370, 262), 'R', y=262)
    return p


def tongue():
    p = Plate('SJEZYK', 'Język', 'Brodawki i kubki smakowe', 'SENSO')
    p.zoom((60, 60, 290, 360))
    body_ = 'M130,120 C130,80 270,80 270,120 L276,260 C280,330 240,380 200,382 C160,380 120,330 124,260 Z'
    p.art(f'<path id="jezykd" d="{body_}" style="fill:#e07a84;stroke:#8a2a3a;stroke-width:2"/>',
          '<path d="M200,110 L200,340" style="stroke:#b24a5a;stroke-width:2;opacity:0.7"/>',
          '<g id="okolne">' + ''.join(f'<circle cx="{150 + k * 20}" cy="{150 - abs(k - 2.5) * 12}" r="7" style="fill:#f3b0b8;stroke:#8a2a3a"/>' for k in range(6)) + '</g>',
          '<g id="grzyb">' + ''.join(f'<circle cx="{150 + (k % 5) * 24 + (k // 5) * 6}" cy="{210 + (k // 5) * 36}" r="4" style="fill:#f7c6cc;stroke:#a23a4a;stroke-width:0.8"/>' for k in range(15)) + '</g>',
          '<g id="nitk">' + ''.join(f'<path d="M{140 + k * 10},{190 + (k % 3) * 50} l2,8" style="stroke:#fbe0e3;stroke-width:2"/>' for k in range(13)) + '</g>')
    p.art('<g id="kubek" transform="translate(300,300)"><circle r="30" style="fill:#fff;stroke:#8a2a3a;stroke-width:1.5"/>'
          '<path d="M-12,18 C-16,-4 -8,-18 0,-20 C8,-18 16,-4 12,18 Z" style="fill:#f3d2a6;stroke:#8a6a3a"/>'
          '<path d="M-6,16 V-10 M0,17 V-14 M6,16 V-10" style="stroke:#8a6a3a;stroke-width:1"/></g>')
    p.art('<path d="M212,290 L272,292" style="stroke:#7a8794;stroke-width:1;stroke-dasharray:3,2"/>')
    p.spot('OKOLNE', 'Brodawki okolone', 'okolne', (150, 146), 'L')
    p.spot('GRZYB', 'Brodawki grzybowate', 'grzyb', (150, 246), 'L')
    p.spot('NITK', 'Brodawki nitkowate', 'nitk', (160, 290), 'L', y=320)
    p.spot('JEZYKD', 'Mięśnie języka', 'jezykd', (250, 180), 'R')
    p.spot('KUBEK', 'Kubek smakowy', 'kubek', (320, 280), 'R', y=250)
    return p


def ear():
    p = Plate('orecch', 'Narząd słuchu i równowagi', 'Ucho zewnętrzne, środkowe i wewnętrzne', 'orecch')
    # Wide enough that the nerve ends before the right label column.
    p.zoom((30, 60, 360, 340))
    p.art('<path id="malzow" d="M40,150 C30,100 80,70 110,100 C130,120 120,160 112,190 C108,220 116,250 100,280 C86,304 56,300 50,270 C46,240 52,210 48,190 Z" style="fill:#f0c0a8;stroke:#8a4a3a;stroke-width:2"/>',
          '<path id="przewodz" d="M104,200 L196,196 L196,226 L104,228 Z" style="fill:#f6d8c8;stroke:#8a4a3a;stroke-width:1.5"/>',
          '<ellipse id="bebenek" cx="198" cy="211" rx="5" ry="22" style="fill:#c9a0d0;stroke:#6a3a7a;stroke-width:1.5"/>',
          '<path id="jamab" d="M204,170 C230,168 250,176 254,200 C258,230 248,250 220,254 L204,252 Z" style="fill:#fbf0e6;stroke:#8a7a6a;stroke-width:1.2"/>',
          '<g id="kosteczki"><path d="M206,200 L220,184 L232,190" style="fill:none;stroke:#e9dfc4;stroke-width:6;stroke-linecap:round"/>'
          '<path d="M232,190 L238,208" style="stroke:#e9dfc4;stroke-width:5;stroke-linecap:round"/>'
          '<path d="M238,208 L252,212 M246,204 L246,220" style="stroke:#e9dfc4;stroke-width:4;stroke-linecap:round"/>'
          '<path d="M206,200 L220,184 L232,190 L238,208 L252,212" style="fill:none;stroke:#8c7b58;stroke-width:1"/></g>',
          '<path id="trabka" d="M236,252 C250,290 270,320 300,350 L290,362 C258,330 236,300 222,256 Z" style="fill:#e7c8b8;stroke:#8a4a3a;stroke-width:1.2"/>',
          '<g id="kanaly"><path d="M262,180 C262,140 300,130 306,170" style="fill:none;stroke:#6aaed6;stroke-width:7"/>'
          '<path d="M270,196 C300,200 316,176 296,160" style="fill:none;stroke:#6aaed6;stroke-width:7"/>'
          '<path d="M262,186 C240,150 270,126 288,150" style="fill:none;stroke:#6aaed6;stroke-width:7"/></g>',
          '<path id="slimak" d="M300,230 C330,220 346,246 334,262 C324,276 300,270 302,254 C304,242 318,244 318,252" style="fill:none;stroke:#3f8fc4;stroke-width:10;stroke-linecap:round"/>',
          '<path id="nerwsl" d="M312,200 C330,196 350,194 372,196" style="fill:none;stroke:#e0b42f;stroke-width:7;stroke-linecap:round"/>',
          lupa('lupau', 336, 300, r=10))
    p.art(text(70, 380, 'ucho zewnętrzne', 10, fill='#7a8794', anchor='middle', style='font-style:italic'),
          text(226, 140, 'ucho środkowe', 10, fill='#7a8794', anchor='middle', style='font-style:italic'),
          text(320, 110, 'ucho wewnętrzne', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    p.spot('MALZOW', 'Małżowina uszna', 'malzow', (70, 150), 'L')
    p.spot('PRZEWODZ', 'Przewód słuchowy', 'przewodz', (150, 212), 'L')
    p.spot('BEBENEK', 'Błona bębenkowa', 'bebenek', (198, 228), 'L', y=280)
    p.spot('TRABKA', 'Trąbka słuchowa', 'trabka', (270, 320), 'L', y=340)
    p.spot('KOSTECZK', 'Kosteczki słuchowe', 'kosteczki', (228, 188), 'R', y=150)
    p.spot('KANALY', 'Kanały półkoliste', 'kanaly', (300, 150), 'R', y=120)
    p.spot('NERWSL', 'Nerw słuchowy', 'nerwsl', (360, 196), 'R', y=200)
    p.spot('SLIMAK', 'Ślimak', 'slimak', (336, 250), 'R', y=250)
    p.spot('LUPAU', 'Wnętrze ślimaka', 'lupau', (346, 310), 'R', link='UCHOW', y=300)
    return p


def cochlea():
    p = Plate('UCHOW', 'Wnętrze ślimaka', 'Przekrój kanału ślimaka i narząd Cortiego', 'orecch')
    p.zoom((40, 80, 320, 320))
    p.art('<circle cx="200" cy="240" r="150" style="fill:#f4eedd;stroke:#8c7b58;stroke-width:3"/>',
          '<path id="przedsch" d="M70,170 C100,96 300,96 330,170 Z" style="fill:#cfe6f5;stroke:#3f7fa4;stroke-width:2"/>',
          '<path id="bebench" d="M70,310 C100,384 300,384 330,310 Z" style="fill:#cfe6f5;stroke:#3f7fa4;stroke-width:2"/>',
          '<path id="przewodsl" d="M70,170 L330,170 L330,310 L70,310 Z" style="fill:#e8f3e0;stroke:#5f8f4a;stroke-width:2"/>',
          '<path id="podstawna" d="M70,270 L330,270" style="stroke:#7a5a3a;stroke-width:5"/>',
          '<g id="rzeskowe">' + ''.join(f'<rect x="{150 + k * 22}" y="226" width="12" height="42" rx="5" style="fill:#f3c0a8;stroke:#8a4a3a"/>'
                                        f'<path d="M{153 + k * 22},226 v-10 M{156 + k * 22},226 v-12 M{159 + k * 22},226 v-10" style="stroke:#8a4a3a;stroke-width:1"/>' for k in range(5)) + '</g>',
          '<path id="pokrywk" d="M120,206 L300,206 L300,214 L120,214 Z" style="fill:#c9a0d0;stroke:#6a3a7a"/>',
          '<path id="nerwc" d="M206,270 C200,300 170,330 120,360" style="fill:none;stroke:#e0b42f;stroke-width:6"/>')
    p.art(text(200, 140, 'schody przedsionka', 10, fill='#3f7fa4', anchor='middle', style='font-style:italic'),
          text(200, 350, 'schody bębenka', 10, fill='#3f7fa4', anchor='middle', style='font-style:italic'))
    p.spot('PRZEDSCH', 'Schody przedsionka', 'przedsch', (110, 150), 'L')
    p.spot('PRZEWODS', 'Przewód ślimakowy', 'przewodsl', (96, 240), 'L')
    p.spot('BEBENCH', 'Schody bębenka', 'bebench', (110, 330), 'L')
    p.spot('POKRYWK', 'Błona pokrywająca', 'pokrywk', (290, 210), 'R', y=180)
    p.spot('RZESKOWE', 'Komórki rzęsate', 'rzeskowe', (250, 240), 'R', y=230)
    p.spot('PODSTAWN', 'Błona podstawna', 'podstawna', (310, 270), 'R', y=280)
    p.spot('NERWC', 'Włókna nerwu słuchowego', 'nerwc', (160, 336), 'R', y=340)
    return p


PLATES = [overview, eye, tongue, ear, cochlea]
