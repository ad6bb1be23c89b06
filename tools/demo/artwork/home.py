"""The home screen: eleven body-system figures, each inside the rectangle its hotspot covers."""

from common import *

# Hotspot rectangles of the home screen in pixels (left, top, width, height), label, code.
SYSTEMS = [
    ((213, 213, 91, 187), 'Szkielet', 'SCHEL1'),
    ((321, 212, 91, 189), 'Mięśnie', 'muscava'),
    ((461, 215, 91, 187), 'Trawienie', 'DIGER1'),
    ((575, 215, 121, 187), 'Nerwy', 'NERVOS'),
    ((697, 215, 129, 187), 'Krążenie', 'CIRCOL'),
    ((249, 425, 127, 181), 'Limfa', 'LINFAT'),
    ((389, 435, 123, 61), 'Zmysły', 'SENSO'),
    ((393, 513, 123, 93), 'Oddychanie', 'RESPIR'),
    ((535, 421, 79, 75), 'Wydalanie', 'urinari'),
    ((521, 513, 107, 93), 'Rozród', 'RIPROGEN'),
    ((651, 419, 71, 187), 'Hormony', 'ENDOC1'),
]
EXIT = (208, 149, 46, 43)
HELP = (768, 148, 39, 47)

DEFS = '''
<linearGradient id="tlo" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="0" y2="768">
  <stop offset="0" stop-color="#26475e"/><stop offset="0.55" stop-color="#1a3447"/><stop offset="1" stop-color="#10222f"/>
</linearGradient>
<radialGradient id="blask" gradientUnits="userSpaceOnUse" cx="512" cy="320" r="560">
  <stop offset="0" stop-color="#ffffff" stop-opacity="0.10"/><stop offset="1" stop-color="#ffffff" stop-opacity="0"/>
</radialGradient>
<linearGradient id="karta" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#fbf8f3"/><stop offset="1" stop-color="#e9e2d6"/>
</linearGradient>
<linearGradient id="panel" gradientUnits="userSpaceOnUse" x1="0" y1="132" x2="0" y2="630">
  <stop offset="0" stop-color="#3b5a70"/><stop offset="1" stop-color="#253f52"/>
</linearGradient>
<radialGradient id="guzik" cx="0.4" cy="0.35" r="0.7">
  <stop offset="0" stop-color="#f6f1e7"/><stop offset="1" stop-color="#c9bfae"/>
</radialGradient>
'''


def card(rect, label, code):
    x, y, w, h = rect
    c = COLOUR[code]
    label_h = 15
    art = (x + 4, y + 4, w - 8, h - label_h - 8)
    if code == 'RIPROGEN':
        male, mbox, female, fbox = reproductive_figures()
        half = (art[2] - 2) / 2
        figure_svg = (crop(male, mbox, (art[0], art[1], half, art[3]))
                      + crop(female, fbox, (art[0] + half + 2, art[1], half, art[3])))
    else:
        drawing, box = system_figure(code)
        figure_svg = (crop if code in CROPPED else fit)(drawing, box, art)
    return (f'<g><rect x="{x + 1.5}" y="{y + 2.5}" width="{w}" height="{h}" rx="7" fill="#000" opacity="0.28"/>'
            f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="7" fill="url(#karta)"/>'
            f'<rect x="{x}" y="{y + h - label_h - 2}" width="{w}" height="{label_h + 2}" rx="0" fill="{c}" opacity="0.16"/>'
            f'<path d="M{x},{y + h - label_h - 2} h{w}" stroke="{c}" stroke-width="1.5"/>'
            f'{figure_svg}'
            + text(x + w / 2, y + h - 5, label, 11, fill='#243240', weight='bold', anchor='middle')
            + '</g>')


def button(rect, symbol):
    x, y, w, h = rect
    cx, cy = x + w / 2, y + h / 2
    r = min(w, h) / 2 - 2
    ring = (f'<circle cx="{cx + 1}" cy="{cy + 2}" r="{r}" fill="#000" opacity="0.3"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="url(#guzik)" stroke="#8a7f6c" stroke-width="1"/>')
    if symbol == 'exit':
        # A power symbol: leaving the atlas.
        k = r * 0.5
        mark = (f'<path d="M{cx - k * 0.72},{cy - k * 0.7} A{k},{k} 0 1 0 {cx + k * 0.72},{cy - k * 0.7}" '
                f'fill="none" stroke="#9b2f2a" stroke-width="3" stroke-linecap="round"/>'
                f'<path d="M{cx},{cy - k * 1.25} V{cy - k * 0.1}" stroke="#9b2f2a" stroke-width="3" stroke-linecap="round"/>')
    else:
        mark = text(cx, cy + r * 0.48, '?', r * 1.35, fill='#2c5d86', family=SERIF, weight='bold', anchor='middle')
    return ring + mark


def rounded(x, y, w, h, r):
    return (f'M{x + r},{y} H{x + w - r} A{r},{r} 0 0 1 {x + w},{y + r} V{y + h - r} A{r},{r} 0 0 1 {x + w - r},{y + h} '
            f'H{x + r} A{r},{r} 0 0 1 {x},{y + h - r} V{y + r} A{r},{r} 0 0 1 {x + r},{y} Z')


PANEL = (190, 132, 654, 498)
# Figures cut out of a whole body.
CROPPED = ('SENSO', 'RESPIR', 'urinari', 'RIPROGEN')


def backdrop():
    return (f'<rect width="1024" height="768" fill="url(#tlo)"/><rect width="1024" height="768" fill="url(#blask)"/>'
            f'<path d="{rounded(*PANEL, 16)}" fill="url(#panel)" stroke="#ffffff" stroke-opacity="0.16"/>')


def build():
    out = [backdrop()]
    out.append(text(512, 72, 'Atlas anatomii człowieka', 34, fill='#f4ead2', family=SERIF, anchor='middle'))
    out.append('<path d="M372,88 H652" stroke="#c9a86a" stroke-width="1" opacity="0.7"/>')
    out.append(text(512, 108, 'Velto 2002 · Anatomia', 14, fill='#b9c9d6', anchor='middle', style='letter-spacing:2px'))
    out.append(text(512, 176, 'Wybierz układ narządów', 17, fill='#e8edf1', family=SERIF, anchor='middle', style='font-style:italic'))
    for rect, label, code in SYSTEMS:
        out.append(card(rect, label, code))
    out.append(button(EXIT, 'exit'))
    out.append(text(EXIT[0] + EXIT[2] + 6, EXIT[1] + 26, 'Koniec', 12, fill='#c9d5de'))
    out.append(button(HELP, 'help'))
    out.append(text(HELP[0] - 6, HELP[1] + 28, 'Pomoc', 12, fill='#c9d5de', anchor='end'))
    out.append(text(512, 668, 'Kliknij rysunek, aby otworzyć plansze wybranego układu.', 14, fill='#c9d5de', anchor='middle'))
    out.append(text(512, 738, 'Sylwetki i narządy: anatomogramy EMBL-EBI Expression Atlas (CC BY 4.0)', 10,
                    fill='#7f97a8', anchor='middle'))
    return svg(1024, 768, '\n'.join(out), DEFS)


if __name__ == '__main__':
    import sys
    open(sys.argv[1], 'w', encoding='utf-8').write(build())
