"""The plate viewer's background: six buttons under their click areas, the plate's frame and
the description panel's frame, in the home screen's style."""

from common import *
from home import DEFS, rounded

# Click areas of the buttons in pixels (left, top, width, height).
BUTTONS = {
    'exit': ((204, 145, 53, 55), 'Koniec'),
    'home': ((283, 145, 57, 54), 'Start'),
    'help': ((358, 147, 58, 53), 'Pomoc'),
    'copy': ((203, 569, 56, 50), 'Kopiuj'),
    'print': ((284, 568, 58, 52), 'Drukuj'),
    'back': ((361, 568, 55, 51), 'Wstecz'),
}
PLATE = (433, 144, 398, 480)
PANEL = (196, 228, 231, 339)


def icon(kind, cx, cy, r):
    ink = '#2c5d86'
    line = f'fill="none" stroke="{ink}" stroke-width="2.6" stroke-linecap="round" stroke-linejoin="round"'
    k = r * 0.5
    if kind == 'exit':
        return (f'<path d="M{cx - k * 0.72:.1f},{cy - k * 0.7:.1f} A{k:.1f},{k:.1f} 0 1 0 {cx + k * 0.72:.1f},{cy - k * 0.7:.1f}" '
                f'fill="none" stroke="#9b2f2a" stroke-width="3" stroke-linecap="round"/>'
                f'<path d="M{cx},{cy - k * 1.25:.1f} V{cy - k * 0.1:.1f}" stroke="#9b2f2a" stroke-width="3" stroke-linecap="round"/>')
    if kind == 'home':
        return (f'<path d="M{cx - k * 1.1:.1f},{cy - k * 0.05:.1f} L{cx},{cy - k * 1.05:.1f} L{cx + k * 1.1:.1f},{cy - k * 0.05:.1f}" {line}/>'
                f'<path d="M{cx - k * 0.75:.1f},{cy - k * 0.35:.1f} V{cy + k * 0.9:.1f} H{cx + k * 0.75:.1f} V{cy - k * 0.35:.1f}" {line}/>'
                f'<rect x="{cx - k * 0.22:.1f}" y="{cy + k * 0.25:.1f}" width="{k * 0.44:.1f}" height="{k * 0.65:.1f}" fill="{ink}"/>')
    if kind == 'help':
        return text(cx, cy + r * 0.48, '?', r * 1.35, fill=ink, family=SERIF, weight='bold', anchor='middle')
    if kind == 'copy':
        return (f'<rect x="{cx - k * 0.95:.1f}" y="{cy - k * 0.95:.1f}" width="{k * 1.15:.1f}" height="{k * 1.4:.1f}" rx="1.5" fill="#f6f1e7" stroke="{ink}" stroke-width="2"/>'
                f'<rect x="{cx - k * 0.2:.1f}" y="{cy - k * 0.45:.1f}" width="{k * 1.15:.1f}" height="{k * 1.4:.1f}" rx="1.5" fill="#f6f1e7" stroke="{ink}" stroke-width="2"/>')
    if kind == 'print':
        return (f'<rect x="{cx - k * 0.6:.1f}" y="{cy - k * 1.05:.1f}" width="{k * 1.2:.1f}" height="{k * 0.8:.1f}" fill="#f6f1e7" stroke="{ink}" stroke-width="1.8"/>'
                f'<rect x="{cx - k * 1.1:.1f}" y="{cy - k * 0.3:.1f}" width="{k * 2.2:.1f}" height="{k * 0.95:.1f}" rx="2" fill="{ink}"/>'
                f'<rect x="{cx - k * 0.6:.1f}" y="{cy + k * 0.25:.1f}" width="{k * 1.2:.1f}" height="{k * 0.8:.1f}" fill="#f6f1e7" stroke="{ink}" stroke-width="1.8"/>')
    if kind == 'back':
        return (f'<path d="M{cx + k * 0.95:.1f},{cy} H{cx - k * 0.8:.1f}" {line}/>'
                f'<path d="M{cx - k * 0.15:.1f},{cy - k * 0.75:.1f} L{cx - k * 0.95:.1f},{cy} L{cx - k * 0.15:.1f},{cy + k * 0.75:.1f}" {line}/>')
    raise KeyError(kind)


def button(kind, rect, label):
    x, y, w, h = rect
    cx, cy = x + w / 2, y + h / 2 - 1
    r = min(w, h) / 2 - 4
    return (f'<circle cx="{cx + 1}" cy="{cy + 2}" r="{r}" fill="#000" opacity="0.3"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="url(#guzik)" stroke="#8a7f6c" stroke-width="1"/>'
            + icon(kind, cx, cy, r))


def build():
    out = ['<rect width="1024" height="768" fill="url(#tlo)"/><rect width="1024" height="768" fill="url(#blask)"/>']
    console = (180, 118, 668, 540)
    out.append(f'<path d="{rounded(*console, 16)}" fill="url(#panel)" stroke="#ffffff" stroke-opacity="0.16"/>')
    out.append(text(512, 72, 'Atlas anatomii człowieka', 30, fill='#f4ead2', family=SERIF, anchor='middle'))
    out.append('<path d="M382,86 H642" stroke="#c9a86a" stroke-width="1" opacity="0.7"/>')
    out.append(text(512, 106, 'Velto 2002 · Anatomia', 13, fill='#b9c9d6', anchor='middle', style='letter-spacing:2px'))
    x, y, w, h = PLATE
    # The panel and the plate stand six pixels apart: thin frames.
    out.append(f'<rect x="{x - 3 + 2}" y="{y - 6 + 3}" width="{w + 9}" height="{h + 12}" rx="5" fill="#000" opacity="0.3"/>')
    out.append(f'<rect x="{x - 3}" y="{y - 6}" width="{w + 9}" height="{h + 12}" rx="5" fill="#d9cdb4" stroke="#a8977a"/>')
    out.append(f'<rect x="{x - 1}" y="{y - 1}" width="{w + 2}" height="{h + 2}" fill="#fbf8f3" stroke="#8a7f6c"/>')
    x, y, w, h = PANEL
    out.append(f'<rect x="{x - 5 + 2}" y="{y - 4 + 3}" width="{w + 7}" height="{h + 7}" rx="5" fill="#000" opacity="0.3"/>')
    out.append(f'<rect x="{x - 5}" y="{y - 4}" width="{w + 7}" height="{h + 7}" rx="5" fill="#d9cdb4" stroke="#a8977a"/>')
    out.append(f'<rect x="{x - 1}" y="{y - 1}" width="{w + 2}" height="{h + 2}" fill="#ffffff" stroke="#8a7f6c"/>')
    out.append(text(x + w / 2, y + h / 2, 'Opis planszy', 13, fill='#b5aa98', anchor='middle', style='font-style:italic'))
    for kind, (rect, label) in BUTTONS.items():
        out.append(button(kind, rect, label))
        bx, by, bw, bh = rect
        ly = by - 2 if by > 400 else by + bh + 11
        out.append(text(bx + bw / 2, (by + bh + 12) if by > 400 else (by + bh + 10), label, 10.5, fill='#c9d5de', anchor='middle'))
    out.append(text(512, 700, 'Kliknij podpisaną strukturę na planszy, aby zobaczyć jej opis lub szczegóły.', 13,
                    fill='#c9d5de', anchor='middle'))
    out.append(text(512, 738, 'Sylwetki i narządy: anatomogramy EMBL-EBI Expression Atlas (CC BY 4.0)', 10,
                    fill='#7f97a8', anchor='middle'))
    return svg(1024, 768, '\n'.join(out), DEFS)
