"""Breathing, the urinary tract, reproduction and the hormone glands."""

from plate import *
from lupa import lupa

PINK = '#e38aa0'


def respir():
    p = Plate('RESPIR', 'Układ oddechowy', 'Drogi oddechowe i płuca', 'RESPIR')
    m = MALE
    pl = Place((30, 4, 46, 70), (96, 52, 206, 420))
    p.cut(pl, figure(m, ''))
    inner = (f'<g id="pluca">{organ(m, "UBERON_0002048", PINK, stroke="#8a3a4a", w=0.15)}</g>'
             f'<g id="przepona">{organ(m, "UBERON_0001103", "#b06070", stroke="#6a2a3a", w=0.15)}</g>'
             f'<g id="oskrzela">{organ(m, "UBERON_0002185", "#f7d6de", stroke="#8a3a4a", w=0.1)}</g>'
             f'<g id="tchawica">{organ(m, "UBERON_0003126", "#f2c2cd", stroke="#8a3a4a", w=0.1)}</g>'
             f'<g id="gardlo">{organ(m, "UBERON_0000341", "#eab0bc", stroke="#8a3a4a", w=0.08)}{organ(m, "UBERON_0001728", "#eab0bc", stroke="#8a3a4a", w=0.08)}</g>'
             f'<g id="nosr">{organ(m, "UBERON_0001706", "#e59a7e", stroke="#8a4a3a", w=0.06)}</g>')
    p.art(pl.g(inner), lupa('luparesp', *pl.pt(61, 45), r=11))
    s = pl.pt
    p.spot('PLUCA', 'Płuca', 'pluca', s(44, 44), 'L')
    p.spot('PRZEPONA', 'Przepona', 'przepona', s(42, 62), 'L')
    p.spot('NOSR', 'Jama nosowa', 'nosr', s(53, 14), 'L')
    p.spot('GARDLO', 'Gardło i krtań', 'gardlo', s(53, 27), 'L')
    p.spot('TCHAWICA', 'Tchawica', 'tchawica', s(53.3, 33), 'R')
    p.spot('OSKRZELA', 'Oskrzela', 'oskrzela', s(57, 41), 'R')
    p.spot('LUPARESP', 'Drzewo oskrzelowe', 'luparesp', s(63, 47.5), 'R', link='RPLUCA')
    return p


def bronchi():
    p = Plate('RPLUCA', 'Drzewo oskrzelowe', 'Rozgałęzienia dróg oddechowych w płucach', 'RESPIR')
    p.zoom((50, 60, 300, 340))
    p.art('<path id="plucop" d="M186,110 C150,110 90,170 80,260 C72,330 96,380 140,384 C170,386 186,360 188,330 Z" style="fill:#f6c6d2;stroke:#8a3a4a;stroke-width:2"/>',
          '<path id="plucol" d="M214,110 C250,110 310,170 320,260 C326,310 314,352 286,370 L240,340 C226,330 214,310 212,290 Z" style="fill:#f6c6d2;stroke:#8a3a4a;stroke-width:2"/>')
    tree = ['M200,60 L200,170', 'M200,170 L160,210 L140,260 L120,310', 'M160,210 L120,230 L96,260', 'M140,260 L110,290',
            'M200,170 L240,210 L262,260 L280,310', 'M240,210 L280,232 L300,260', 'M262,260 L292,290', 'M140,260 L150,320', 'M262,260 L254,318']
    p.art('<g id="oskrzg">' + ''.join(f'<path d="{d}" style="fill:none;stroke:#fff3f5;stroke-width:{9 - i * 0.6};stroke-linecap:round"/>' for i, d in enumerate(tree)) +
          ''.join(f'<path d="{d}" style="fill:none;stroke:#b0506a;stroke-width:{5 - i * 0.35};stroke-linecap:round"/>' for i, d in enumerate(tree)) + '</g>')
    p.art('<g id="tchawg"><rect x="190" y="56" width="20" height="116" rx="8" style="fill:#f2c2cd;stroke:#8a3a4a;stroke-width:1.5"/>'
          + ''.join(f'<path d="M191,{66 + k * 12} H209" style="stroke:#8a3a4a;stroke-width:1.5"/>' for k in range(9)) + '</g>',
          '<g id="oskrzglow"><path d="M200,172 L160,210" style="stroke:#8a3a4a;stroke-width:2;opacity:0"/></g>',
          lupa('lupapech', 110, 320, r=11))
    p.art('<path id="oskrzglowny" d="M196,168 L156,206 L164,214 L204,176 Z" style="fill:#f2c2cd;stroke:#8a3a4a;stroke-width:1.2"/>')
    p.spot('TCHAWG', 'Tchawica', 'tchawg', (200, 90), 'L', y=80)
    p.spot('OSKRZGL', 'Oskrzele główne', 'oskrzglowny', (176, 192), 'L', y=170)
    p.spot('OSKRZG', 'Oskrzela płatowe', 'oskrzg', (262, 240), 'R')
    p.spot('PLUCOP', 'Płuco prawe', 'plucop', (90, 220), 'L')
    p.spot('PLUCOL', 'Płuco lewe', 'plucol', (306, 250), 'R', y=290)
    p.spot('LUPAPECH', 'Pęcherzyki płucne', 'lupapech', (100, 330), 'L', link='RPECH', y=350)
    return p


def alveoli():
    p = Plate('RPECH', 'Pęcherzyki płucne', 'Wymiana gazowa', 'RESPIR')
    import math
    p.art('<path id="oskrzelik" d="M199,60 L199,170" style="stroke:#b0506a;stroke-width:14;stroke-linecap:round"/>')
    cluster = ''.join(f'<circle cx="{199 + 62 * math.cos(a / 9 * 6.283) * (0.6 + (a % 2) * 0.4):.1f}" cy="{250 + 62 * math.sin(a / 9 * 6.283) * (0.6 + (a % 2) * 0.4):.1f}" r="30" style="fill:#f6c6d2;stroke:#8a3a4a;stroke-width:1.5"/>' for a in range(9))
    p.art(f'<g id="pecherzyki">{cluster}<circle cx="199" cy="250" r="34" style="fill:#f9d8e0;stroke:#8a3a4a;stroke-width:1.5"/></g>')
    p.art('<g id="kapilary"><path d="M110,220 C150,180 180,300 220,260 C260,220 270,320 300,300" style="fill:none;stroke:#c8323c;stroke-width:3"/>'
          '<path d="M110,290 C150,250 190,340 230,300 C260,270 280,330 306,330" style="fill:none;stroke:#3d5fa8;stroke-width:3"/></g>')
    p.art('<g id="tlen"><circle cx="170" cy="390" r="9" style="fill:#e25a5a"/>' + text(170, 394, 'O₂', 9, fill='#ffffff', anchor='middle') + '</g>',
          '<g id="dwutlen"><circle cx="232" cy="390" r="9" style="fill:#6a7a8a"/>' + text(232, 394, 'CO₂', 7.5, fill='#ffffff', anchor='middle') + '</g>',
          '<path d="M170,378 L176,346 M232,346 L226,378" style="stroke:#555;stroke-width:1.4"/>')
    p.spot('OSKRZELI', 'Oskrzelik końcowy', 'oskrzelik', (199, 110), 'L')
    p.spot('PECHERZK', 'Pęcherzyki', 'pecherzyki', (150, 230), 'L')
    p.spot('KAPILARY', 'Naczynia włosowate', 'kapilary', (288, 304), 'R', y=290)
    p.spot('TLEN', 'Tlen do krwi', 'tlen', (170, 390), 'L')
    p.spot('DWUTLEN', 'Dwutlenek węgla', 'dwutlen', (232, 390), 'R')
    return p


def urinary():
    p = Plate('urinari', 'Układ moczowy', 'Nerki, moczowody, pęcherz moczowy', 'urinari')
    m = MALE
    pl = Place((34, 48, 38, 62), (96, 52, 206, 420))
    p.cut(pl, figure(m, ''))
    inner = (f'<g id="aortau">{organ(m, "UBERON_0000947", "#c8323c", stroke="#5e0f16", w=0.1, opacity=0.5)}</g>'
             f'<g id="nerki">{organ(m, "UBERON_0002113", "#b5532f", stroke="#6a2a14", w=0.15)}</g>'
             f'<g id="nadnercz">{organ(m, "UBERON_0002369", "#6a62c9", stroke="#352d80", w=0.12)}</g>'
             '<path id="moczowody" d="M45.5,67 C47,80 48,90 50.5,97 M60.5,67 C59,80 58,90 55.5,97" style="fill:none;stroke:#c9a227;stroke-width:0.9"/>'
             f'<g id="pecherzm">{organ(m, "UBERON_0001255", "#e3c25a", stroke="#8a6a12", w=0.15)}</g>'
             '<path id="cewka" d="M53,94.5 L53,104" style="stroke:#c9a227;stroke-width:0.9"/>')
    p.art(pl.g(inner), lupa('lupaur', *pl.pt(44, 62), r=10))
    s = pl.pt
    p.spot('NERKI', 'Nerki', 'nerki', s(45, 60), 'L')
    p.spot('LUPAUR', 'Budowa nerki', 'lupaur', s(42, 64.5), 'L', link='UNERKA')
    p.spot('NADNERCZ', 'Nadnercza', 'nadnercz', s(61, 54.5), 'R')
    p.spot('AORTAU', 'Aorta', 'aortau', s(53, 60), 'R', y=s(0, 63)[1])
    p.spot('MOCZOWOD', 'Moczowody', 'moczowody', s(58.5, 82), 'R')
    p.spot('PECHERZM', 'Pęcherz moczowy', 'pecherzm', s(51, 90), 'L')
    p.spot('CEWKA', 'Cewka moczowa', 'cewka', s(53, 101), 'R')
    return p


def kidney():
    p = Plate('UNERKA', 'Nerka', 'Przekrój podłużny', 'urinari')
    p.zoom((70, 70, 280, 330))
    outer = 'M200,90 C270,86 300,150 296,230 C292,320 250,380 190,376 C140,372 160,310 176,270 C186,240 186,210 172,180 C150,130 150,94 200,90 Z'
    p.art(f'<path id="torebkan" d="{outer}" style="fill:#b5532f;stroke:#6a2a14;stroke-width:3"/>',
          '<path id="korowa" d="M202,104 C258,102 282,156 280,230 C276,306 244,358 196,360 C168,360 176,310 190,272 C200,240 200,206 186,176 C168,138 170,106 202,104 Z" style="fill:#d2764a"/>',
          '<g id="piramidy">' + ''.join(f'<path d="M{x},{y} L{x + 30},{y - 10} L{x + 24},{y + 24} Z" style="fill:#9c3f22;stroke:#6a2a14"/>' for x, y in ((220, 140), (232, 200), (232, 262), (214, 320))) + '</g>',
          '<path id="miedniczka" d="M196,200 C214,190 226,220 222,240 C218,262 206,270 196,262 C186,250 186,214 196,200 Z" style="fill:#f0d9a8;stroke:#9a7a3a;stroke-width:1.5"/>',
          '<path id="moczowodn" d="M196,262 C186,300 178,340 172,400" style="fill:none;stroke:#c9a227;stroke-width:8;stroke-linecap:round"/>',
          '<path id="tetnican" d="M196,222 C170,220 140,216 100,214" style="fill:none;stroke:#c8323c;stroke-width:7"/>',
          '<path id="zylan" d="M194,238 C170,238 140,236 100,236" style="fill:none;stroke:#3d5fa8;stroke-width:7"/>',
          lupa('lupanef', 254, 160, r=10))
    p.spot('TOREBKAN', 'Torebka nerki', 'torebkan', (200, 92), 'L', y=96)
    p.spot('TETNICAN', 'Tętnica nerkowa', 'tetnican', (120, 215), 'L')
    p.spot('ZYLAN', 'Żyła nerkowa', 'zylan', (120, 236), 'L', y=250)
    p.spot('MOCZOWN', 'Moczowód', 'moczowodn', (180, 360), 'L')
    p.spot('KOROWA', 'Kora nerki', 'korowa', (280, 230), 'R', y=104)
    p.spot('LUPANEF', 'Nefron', 'lupanef', (262, 170), 'R', link='UNEFRON', y=150)
    p.spot('PIRAMIDY', 'Piramidy nerkowe', 'piramidy', (248, 210), 'R')
    p.spot('MIEDNICZ', 'Miedniczka nerkowa', 'miedniczka', (208, 236), 'R', y=280)
    return p


def nephron():
    p = Plate('UNEFRON', 'Nefron', 'Jednostka czynnościowa nerki', 'urinari')
    p.art('<g id="klebuszek"><circle cx="140" cy="110" r="30" style="fill:#f7e3c0;stroke:#9a7a3a;stroke-width:2"/>'
          '<circle cx="140" cy="110" r="18" style="fill:#c8323c;stroke:#7a1a20"/></g>',
          '<path id="kretek1" d="M168,120 C210,110 230,140 210,160 C190,180 220,200 240,190" style="fill:none;stroke:#e3c25a;stroke-width:9;stroke-linecap:round"/>',
          '<path id="petla" d="M240,190 L240,380 C240,410 200,410 200,380 L200,230" style="fill:none;stroke:#d9a23a;stroke-width:8"/>',
          '<path id="kretek2" d="M200,230 C180,220 170,250 150,240 C130,230 140,200 170,196" style="fill:none;stroke:#e3c25a;stroke-width:8;stroke-linecap:round"/>',
          '<path id="zbiorczy" d="M280,120 L280,430" style="stroke:#c9a227;stroke-width:12"/>',
          '<path d="M170,196 C220,160 260,150 280,150" style="fill:none;stroke:#e3c25a;stroke-width:8"/>')
    p.spot('KLEBUSZ', 'Kłębuszek nerkowy', 'klebuszek', (130, 120), 'L')
    p.spot('KRETEK1', 'Kanalik kręty I rzędu', 'kretek1', (212, 148), 'R', y=110)
    p.spot('PETLA', 'Pętla Henlego', 'petla', (220, 400), 'L', y=380)
    p.spot('KRETEK2', 'Kanalik kręty II rzędu', 'kretek2', (146, 238), 'L', y=250)
    p.spot('ZBIORCZY', 'Kanalik zbiorczy', 'zbiorczy', (280, 300), 'R')
    return p


def reproductive():
    p = Plate('RIPROGEN', 'Układ rozrodczy', 'Narządy płciowe męskie i żeńskie', 'RIPROGEN')
    c = COLOUR['RIPROGEN']
    m, f = MALE, FEMALE
    plm = Place((36, 80, 34, 30), (100, 60, 196, 190))
    plf = Place((36, 80, 34, 30), (100, 270, 196, 190))
    p.cut(plm, figure(m, ''))
    p.cut(plf, figure(f, ''))
    p.art(plm.g(f'<g id="meski">{"".join(organ(m, i, c, stroke="#5a2a50", w=0.15) for i in ["UBERON_0000998", "UBERON_0001000", "UBERON_0002367", "UBERON_0000989", "UBERON_0001301", "UBERON_0000473"])}</g>'),
          plf.g(f'<g id="zenski">{"".join(organ(f, i, c, stroke="#5a2a50", w=0.15) for i in ["UBERON_0003889", "UBERON_0000992", "UBERON_0000995", "UBERON_0000002", "UBERON_0000996"])}</g>'))
    p.art(text(199, 262, 'mężczyzna  ·  kobieta', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    p.spot('MESKI', 'Narządy męskie', 'meski', plm.pt(52, 95), 'L', link='RMESKI')
    p.spot('ZENSKI', 'Narządy żeńskie', 'zenski', plf.pt(52, 90.5), 'R', link='RZENSKI')
    return p


def male():
    p = Plate('RMESKI', 'Narządy płciowe męskie', 'Widok z przodu', 'RIPROGEN')
    m, c = MALE, COLOUR['RIPROGEN']
    pl = Place((42, 83, 22, 24), (96, 56, 206, 410))
    p.cut(pl, figure(m, ''))
    ids = [('pechm', 'UBERON_0001255', '#e3c25a'), ('nasienne', 'UBERON_0000998', '#c77db8'), ('nasieniow', 'UBERON_0001000', '#9b4a8c'),
           ('prostata', 'UBERON_0002367', '#8a3f7c'), ('pracie', 'UBERON_0000989', '#d9a0c8'), ('najadrze', 'UBERON_0001301', '#b0579c'), ('jadra', 'UBERON_0000473', c)]
    p.art(pl.g(''.join(f'<g id="{i}">{organ(m, u, col, stroke="#5a2a50", w=0.1)}</g>' for i, u, col in ids)))
    s = pl.pt
    p.spot('PECHM', 'Pęcherz moczowy', 'pechm', s(50, 88), 'L')
    p.spot('NASIENNE', 'Pęcherzyki nasienne', 'nasienne', s(51.5, 92), 'R', y=s(0, 89)[1])
    p.spot('NASIENIO', 'Nasieniowody', 'nasieniow', s(47, 95), 'L')
    p.spot('PROSTATA', 'Gruczoł krokowy', 'prostata', s(52.6, 93), 'R')
    p.spot('PRACIE', 'Prącie', 'pracie', s(53, 100), 'R')
    p.spot('NAJADRZE', 'Najądrza', 'najadrze', s(49, 102.5), 'L')
    p.spot('JADRA', 'Jądra', 'jadra', s(55.5, 103), 'R')
    return p


def female():
    p = Plate('RZENSKI', 'Narządy płciowe żeńskie', 'Widok z przodu', 'RIPROGEN')
    f, c = FEMALE, COLOUR['RIPROGEN']
    pl = Place((44, 84, 18, 14), (96, 70, 206, 300))
    p.cut(pl, figure(f, ''))
    ids = [('jajowody', 'UBERON_0003889', '#c77db8'), ('jajniki', 'UBERON_0000992', '#9b4a8c'), ('macica', 'UBERON_0000995', c),
           ('blonaw', 'UBERON_0001295', '#e8b0d8'), ('szyjka', 'UBERON_0000002', '#8a3f7c'), ('pochwa', 'UBERON_0000996', '#d9a0c8')]
    p.art(pl.g(''.join(f'<g id="{i}">{organ(f, u, col, stroke="#5a2a50", w=0.06)}</g>' for i, u, col in ids)))
    s = pl.pt
    p.spot('JAJOWODY', 'Jajowody', 'jajowody', s(47.5, 88.3), 'L')
    p.spot('JAJNIKI', 'Jajniki', 'jajniki', s(58, 90.6), 'R')
    p.spot('MACICA', 'Macica', 'macica', s(51, 91), 'L', y=s(0, 93)[1])
    p.spot('BLONAW', 'Błona śluzowa macicy', 'blonaw', s(53, 90), 'R', y=s(0, 87)[1])
    p.spot('SZYJKA', 'Szyjka macicy', 'szyjka', s(52.6, 95), 'R')
    p.spot('POCHWA', 'Pochwa', 'pochwa', s(52.8, 96.8), 'L')
    return p


def endocrine():
    p = Plate('ENDOC1', 'Układ hormonalny', 'Gruczoły wydzielania wewnętrznego', 'ENDOC1')
    f, c = FEMALE, COLOUR['ENDOC1']
    pl = Place((26, 0, 54, 100), (96, 52, 206, 420))
    p.cut(pl, figure(f, ''))
    ids = [('przysad', 'UBERON_0000007', c), ('tarczyca', 'UBERON_0002046', c), ('nadnere', 'UBERON_0002369', c),
           ('trzustke', 'UBERON_0001264', '#e8b64c'), ('jajnike', 'UBERON_0000992', c)]
    p.art(pl.g(''.join(f'<g id="{i}">{organ(f, u, col, stroke="#352d80", w=0.2)}</g>' for i, u, col in ids)
               + '<ellipse id="szyszyn" cx="54.6" cy="7.2" rx="0.7" ry="0.6" style="fill:#6a62c9;stroke:#352d80;stroke-width:0.15"/>'))
    s = pl.pt
    p.spot('PRZYSAD', 'Przysadka mózgowa', 'przysad', s(52.4, 8.5), 'L')
    p.spot('SZYSZYN', 'Szyszynka', 'szyszyn', s(54.6, 7.2), 'R')
    p.spot('TARCZYCA', 'Tarczyca', 'tarczyca', s(52.7, 29.4), 'L', link='ETARCZ')
    p.spot('NADNERE', 'Nadnercza', 'nadnere', s(46, 60.5), 'L')
    p.spot('TRZUSTKE', 'Trzustka', 'trzustke', s(56, 68), 'R')
    p.spot('JAJNIKE', 'Jajniki', 'jajnike', s(57.5, 90.8), 'R')
    return p


def thyroid():
    p = Plate('ETARCZ', 'Tarczyca', 'Widok z przodu', 'ENDOC1')
    p.zoom((70, 60, 260, 340))
    p.art('<g id="krtan"><path d="M170,70 L230,70 L238,120 C230,140 170,140 162,120 Z" style="fill:#e8dcc8;stroke:#8c7b58;stroke-width:2"/>'
          '<path d="M200,72 L200,132" style="stroke:#8c7b58;stroke-width:1.5"/></g>',
          '<g id="tchawe"><rect x="182" y="136" width="36" height="240" rx="10" style="fill:#f2e6d6;stroke:#8c7b58;stroke-width:1.5"/>'
          + ''.join(f'<path d="M183,{150 + k * 16} H217" style="stroke:#b3a07a;stroke-width:2"/>' for k in range(14)) + '</g>',
          '<path id="platp" d="M190,180 C160,150 120,160 118,210 C116,260 140,300 176,290 C190,286 192,260 192,230 Z" style="fill:#8a80dc;stroke:#352d80;stroke-width:2"/>',
          '<path id="platl" d="M210,180 C240,150 280,160 282,210 C284,260 260,300 224,290 C210,286 208,260 208,230 Z" style="fill:#8a80dc;stroke:#352d80;stroke-width:2"/>',
          '<rect id="ciesn" x="186" y="222" width="28" height="26" rx="6" style="fill:#7a70d0;stroke:#352d80;stroke-width:1.5"/>',
          '<g id="przytarcz">' + ''.join(f'<ellipse cx="{x}" cy="{y}" rx="8" ry="6" style="fill:#e8b64c;stroke:#8a6a12;stroke-width:1.2"/>' for x, y in ((132, 196), (134, 268), (268, 196), (266, 268))) + '</g>')
    p.spot('KRTAN', 'Krtań', 'krtan', (176, 100), 'L')
    p.spot('PLATP', 'Płat prawy', 'platp', (140, 230), 'L')
    p.spot('PRZYTARC', 'Przytarczyce', 'przytarcz', (132, 268), 'L', y=300)
    p.spot('CIESN', 'Cieśń tarczycy', 'ciesn', (206, 236), 'R', y=250)
    p.spot('PLATL', 'Płat lewy', 'platl', (262, 220), 'R')
    p.spot('TCHAWE', 'Tchawica', 'tchawe', (200, 340), 'R')
    return p


PLATES = [respir, bronchi, alveoli, urinary, kidney, nephron, reproductive, male, female, endocrine, thyroid]
