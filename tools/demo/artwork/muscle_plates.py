"""The muscles: the superficial muscles, the arm, the build of a muscle."""

from plate import *
from lupa import lupa

M_FILL, M_LINE = '#c4554d', '#7a2622'


def overview():
    p = Plate('muscava', 'Układ mięśniowy', 'Mięśnie powierzchowne – widok z przodu', 'muscava')
    pl = Place((0, 0, 106, 195.4), (96, 54, 206, 418))
    p.art(pl.g(A.silhouette(MALE, 'fill:#f6e6df;stroke:none') + MALE.outline('fill:#c9b8b0') + body.muscles(w=0.25, ids=True)))
    s = pl.pt
    p.spot('MOSTKOW', 'Mostkowo-obojczykowo-sutkowy', 'mostkowo mostkowo_p', s(49.5, 28), 'L')
    p.spot('NARAM', 'Naramienny', 'naramienny naramienny_p', s(34, 42), 'L')
    p.spot('PIERSI', 'Piersiowy większy', 'piersiowy piersiowy_p', s(62, 43), 'R')
    p.spot('DWUGLOW', 'Dwugłowy ramienia', 'dwuglowy dwuglowy_p', s(76, 55), 'R', link='MRAMIE')
    p.spot('PRZEDRAM', 'Mięśnie przedramienia', 'przedramie przedramie_p', s(22, 77), 'L')
    p.spot('PROSTY', 'Prosty brzucha', 'prosty', s(55.5, 66), 'R')
    p.spot('SKOSNY', 'Skośny zewnętrzny', 'skosny skosny_p', s(41, 68), 'L')
    p.spot('CZWOROG', 'Czworogłowy uda', 'czworoglowy czworoglowy_p', s(63, 115), 'R')
    p.spot('PRZYWOD', 'Przywodziciele uda', 'przywodziciel przywodziciel_p', s(47, 112), 'L')
    p.spot('LYDKA', 'Mięśnie podudzia', 'lydka lydka_p', s(42.5, 160), 'L')
    return p


def arm():
    p = Plate('MRAMIE', 'Mięśnie ramienia', 'Ramię lewe – widok z boku', 'muscava')
    p.zoom((60, 40, 300, 420))
    bone = ('<path id="kramien" d="M196,70 C210,64 226,70 226,86 L220,360 C226,372 222,390 206,392 C190,394 184,378 192,362 L186,90 C182,78 186,72 196,70 Z" '
            'style="fill:#f4eedd;stroke:#8c7b58;stroke-width:1.4"/>')
    shoulder = '<path id="naramd" d="M160,60 C190,30 250,36 262,70 C270,100 254,140 236,170 L214,176 C200,140 176,110 160,60 Z" style="fill:#c4554d;stroke:#7a2622;stroke-width:1.4"/>'
    biceps = ('<path id="dwuglowd" d="M176,150 C160,190 150,250 166,300 C176,330 196,346 204,352 L210,340 '
              'C214,300 214,250 206,200 C202,172 196,156 190,148 Z" style="fill:#d0665c;stroke:#7a2622;stroke-width:1.4"/>')
    brach = '<path id="ramienny" d="M206,250 C220,280 222,320 212,350 L200,348 C204,320 202,290 196,262 Z" style="fill:#b0463f;stroke:#7a2622;stroke-width:1.2"/>'
    triceps = ('<path id="trojglow" d="M226,120 C254,160 262,240 252,300 C246,336 236,356 228,366 L216,360 '
               'C226,310 230,250 224,190 C222,160 220,140 218,124 Z" style="fill:#a9423b;stroke:#7a2622;stroke-width:1.4"/>')
    tendon = '<path id="sciegno" d="M200,348 C198,362 196,376 194,392" style="fill:none;stroke:#f1ece0;stroke-width:7;stroke-linecap:round"/>'
    forearm = '<path d="M182,380 C170,410 160,440 150,470 L176,474 C188,446 204,420 214,392 Z" style="fill:#c4554d;stroke:#7a2622;stroke-width:1.2;opacity:0.9"/>'
    fib = ''.join(f'<path d="M{178 + k * 5},{170 + k * 4} C{170 + k * 5},{230} {172 + k * 5},{280} {192 + k * 3},{336}" style="fill:none;stroke:#efa29a;stroke-width:0.8"/>' for k in range(5))
    p.art(bone, forearm, triceps, brach, biceps, fib, tendon, shoulder, lupa('lupam', 186, 240))
    p.art(text(130, 250, 'przód', 10, fill='#7a8794', anchor='middle', style='font-style:italic'),
          text(290, 250, 'tył', 10, fill='#7a8794', anchor='middle', style='font-style:italic'))
    p.spot('NARAMD', 'Mięsień naramienny', 'naramd', (200, 70), 'L')
    p.spot('DWUGLOWD', 'Mięsień dwugłowy', 'dwuglowd', (166, 210), 'L')
    p.spot('LUPAM', 'Budowa mięśnia', 'lupam', (176, 250), 'L', link='MWLOKNO')
    p.spot('RAMIENNY', 'Mięsień ramienny', 'ramienny', (210, 320), 'L', y=330)
    p.spot('SCIEGNO', 'Ścięgno', 'sciegno', (197, 375), 'L')
    p.spot('TROJGLOW', 'Mięsień trójgłowy', 'trojglow', (246, 240), 'R')
    p.spot('KRAMIEN', 'Kość ramienna', 'kramien', (215, 200), 'R', y=150)
    return p


def fibre():
    p = Plate('MWLOKNO', 'Budowa mięśnia', 'Od mięśnia do włókienka', 'muscava')
    p.zoom((36, 70, 330, 350))
    out = []
    # Whole muscle, cut: the bundles show in the section.
    out.append('<g id="miesien"><path d="M40,120 C80,80 200,84 240,110 L240,190 C200,214 80,210 40,170 Z" style="fill:#c4554d;stroke:#7a2622;stroke-width:1.4"/>'
               '<ellipse cx="240" cy="150" rx="22" ry="40" style="fill:#e8cfc4;stroke:#7a2622;stroke-width:1.4"/></g>')
    out.append('<g id="namiesna">' + ''.join(f'<circle cx="{232 + (k % 3) * 9}" cy="{124 + (k // 3) * 14}" r="5.5" style="fill:#c4554d;stroke:#f4e9e2;stroke-width:1.2"/>' for k in range(12)) + '</g>')
    # One bundle drawn out.
    out.append('<path d="M262,150 L300,222" style="stroke:#7a8794;stroke-width:1;stroke-dasharray:3,2"/>')
    out.append('<g id="peczek"><rect x="150" y="222" width="150" height="46" rx="23" style="fill:#d0665c;stroke:#7a2622;stroke-width:1.2"/>'
               + ''.join(f'<path d="M165,{232 + k * 7} H290" style="stroke:#f2b3aa;stroke-width:1"/>' for k in range(5)) + '</g>')
    out.append('<path d="M160,246 L120,300" style="stroke:#7a8794;stroke-width:1;stroke-dasharray:3,2"/>')
    # A fibre with its nuclei and stripes.
    out.append('<g id="wlokno"><rect x="60" y="300" width="280" height="34" rx="17" style="fill:#e0897f;stroke:#7a2622;stroke-width:1.2"/>'
               + ''.join(f'<path d="M{80 + k * 8},303 V331" style="stroke:#b24a42;stroke-width:1.6"/>' for k in range(32)) + '</g>')
    out.append('<g id="jadro">' + ''.join(f'<ellipse cx="{110 + k * 90}" cy="306" rx="10" ry="4" style="fill:#5a3a7a;stroke:#3a1f5a"/>' for k in range(3)) + '</g>')
    out.append('<path d="M300,334 L300,372" style="stroke:#7a8794;stroke-width:1;stroke-dasharray:3,2"/>')
    # Myofibril with sarcomeres.
    out.append('<g id="miofibr"><rect x="80" y="372" width="240" height="22" rx="6" style="fill:#f3d2cc;stroke:#7a2622"/>'
               + ''.join(f'<rect x="{90 + k * 40}" y="374" width="18" height="18" style="fill:#b24a42"/>'
                         f'<path d="M{80 + k * 40},372 V394" style="stroke:#3a1f5a;stroke-width:1.6"/>' for k in range(6)) + '</g>')
    out.append('<rect id="sarkomer" x="120" y="368" width="40" height="30" style="fill:none;stroke:#1f5a8c;stroke-width:1.6;stroke-dasharray:4,2"/>')
    p.art(*out)
    p.spot('MIESIEN', 'Mięsień', 'miesien', (90, 150), 'L')
    p.spot('NAMIESNA', 'Omięsna i pęczki', 'namiesna', (250, 110), 'R', y=96)
    p.spot('PECZEK', 'Pęczek włókien', 'peczek', (200, 245), 'R')
    p.spot('WLOKNO', 'Włókno mięśniowe', 'wlokno', (74, 318), 'L')
    p.spot('JADRO', 'Jądra komórkowe', 'jadro', (290, 306), 'R', y=300)
    p.spot('MIOFIBR', 'Miofibryla', 'miofibr', (86, 383), 'L')
    p.spot('SARKOMER', 'Sarkomer', 'sarkomer', (150, 398), 'R', y=412)
    return p


PLATES = [overview, arm, fibre]
