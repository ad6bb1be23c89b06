"""What the anatomograms lack, drawn for this atlas in the male anatomogram's coordinates
(106 x 195): the skeleton and the superficial muscles, out of a few shaped primitives so that
they keep one look at every scale."""

import math

BONE = 'fill:#f4eedd;stroke:#8c7b58;stroke-width:{w}'
MUSCLE = 'fill:#c4554d;stroke:#7a2622;stroke-width:{w}'


def f(v):
    return f'{v:.2f}'.rstrip('0').rstrip('.')


def spindle(p1, p2, width, style, bulge=0.5, ident=None):
    """A muscle belly: pointed at both ends, widest a little above the middle."""
    (x1, y1), (x2, y2) = p1, p2
    dx, dy = x2 - x1, y2 - y1
    n = math.hypot(dx, dy) or 1
    nx, ny = -dy / n * width, dx / n * width
    mx, my = x1 + dx * bulge, y1 + dy * bulge
    d = (f'M{f(x1)},{f(y1)} Q{f(mx + nx)},{f(my + ny)} {f(x2)},{f(y2)} '
         f'Q{f(mx - nx)},{f(my - ny)} {f(x1)},{f(y1)} Z')
    i = f' id="{ident}"' if ident else ''
    return f'<path{i} d="{d}" style="{style}"/>'


def bone(p1, p2, width, style, knob=1.6, ident=None):
    """A long bone: a shaft with rounded heads at both ends."""
    (x1, y1), (x2, y2) = p1, p2
    dx, dy = x2 - x1, y2 - y1
    n = math.hypot(dx, dy) or 1
    ux, uy = dx / n, dy / n
    nx, ny = -uy * width / 2, ux * width / 2
    r = width / 2 * knob
    shaft = (f'M{f(x1 + nx)},{f(y1 + ny)} L{f(x2 + nx)},{f(y2 + ny)} '
             f'L{f(x2 - nx)},{f(y2 - ny)} L{f(x1 - nx)},{f(y1 - ny)} Z')
    heads = ''.join(
        f'<ellipse cx="{f(x + ux * s * r * 0.3 + k * nx * 0.55)}" cy="{f(y + uy * s * r * 0.3 + k * ny * 0.55)}" '
        f'rx="{f(r * 0.75)}" ry="{f(r * 0.75)}"/>'
        for (x, y, s) in ((x1, y1, 1), (x2, y2, -1)) for k in (-1, 1))
    i = f' id="{ident}"' if ident else ''
    return f'<g{i} style="{style}">{heads}<path d="{shaft}"/></g>'


def mirror(points):
    return [(106 - x, y) for (x, y) in points]


def _sym(fn):
    """Draws a paired structure on both sides of the body's midline (x = 53)."""
    return fn(1) + fn(-1)


def skull(style, ident=None):
    i = f' id="{ident}"' if ident else ''
    return (f'<g{i}><path style="{style}" d="M53,1.2 C59.5,1.2 61.6,6 61.3,10.5 C61,14 59.6,15.4 58.8,17.2 '
            f'C58.2,20.6 56,22.4 53,22.4 C50,22.4 47.8,20.6 47.2,17.2 C46.4,15.4 45,14 44.7,10.5 '
            f'C44.4,6 46.5,1.2 53,1.2 Z"/>'
            f'<ellipse cx="49.8" cy="10.8" rx="2.2" ry="1.9" style="fill:#5b4a36"/>'
            f'<ellipse cx="56.2" cy="10.8" rx="2.2" ry="1.9" style="fill:#5b4a36"/>'
            f'<path d="M53,12.6 L51.9,15.4 L54.1,15.4 Z" style="fill:#5b4a36"/>'
            f'<path d="M49.6,18.2 L56.4,18.2" style="fill:none;stroke:#8c7b58;stroke-width:0.45;stroke-dasharray:0.7,0.45"/></g>')


def spine(style, ident=None, top=23.0, bottom=88.0):
    i = f' id="{ident}"' if ident else ''
    parts = []
    y = top
    while y < bottom:
        h = 1.8 + (y - top) / (bottom - top) * 0.9
        w = 2.6 + (y - top) / (bottom - top) * 2.2
        parts.append(f'<rect x="{f(53 - w / 2)}" y="{f(y)}" width="{f(w)}" height="{f(h)}" rx="0.6"/>')
        y += h + 0.55
    return f'<g{i} style="{style}">{"".join(parts)}</g>'


def ribcage(style, ident=None):
    i = f' id="{ident}"' if ident else ''
    ribs = []
    for k in range(10):
        y = 36.5 + k * 3.2
        reach = 13 + min(k, 5) * 0.9 - max(0, k - 6) * 1.2
        drop = 4 + k * 0.45
        for s in (1, -1):
            x0 = 53 + s * 1.5
            ribs.append(f'<path d="M{f(x0)},{f(y)} C{f(53 + s * reach * 0.9)},{f(y - 2.5)} {f(53 + s * (reach + 2))},{f(y + drop * 0.5)} '
                        f'{f(53 + s * reach * 0.72)},{f(y + drop)}" style="fill:none;stroke:#8c7b58;stroke-width:1.55;stroke-linecap:round"/>'
                        f'<path d="M{f(x0)},{f(y)} C{f(53 + s * reach * 0.9)},{f(y - 2.5)} {f(53 + s * (reach + 2))},{f(y + drop * 0.5)} '
                        f'{f(53 + s * reach * 0.72)},{f(y + drop)}" style="fill:none;stroke:#f4eedd;stroke-width:1.0;stroke-linecap:round"/>')
    sternum = '<path d="M51.6,33.5 L54.4,33.5 L54.1,55 L53,57 L51.9,55 Z"/>'
    return f'<g{i} style="{style}">{"".join(ribs)}{sternum}</g>'


def clavicles(style, ident=None):
    i = f' id="{ident}"' if ident else ''
    return (f'<g{i} style="{style}">'
            + _sym(lambda s: f'<path d="M{f(53 + s * 2)},{f(32.4)} C{f(53 + s * 9)},{f(31)} {f(53 + s * 14)},{f(34.5)} {f(53 + s * 19.5)},{f(34.2)} '
                             f'L{f(53 + s * 19.6)},{f(35.6)} C{f(53 + s * 14)},{f(36)} {f(53 + s * 9)},{f(32.6)} {f(53 + s * 2)},{f(34)} Z"/>')
            + '</g>')


def pelvis(style, ident=None):
    i = f' id="{ident}"' if ident else ''
    d = ('M53,84 C50,84 48,82 46.5,80.5 C42,79 37.5,80 36.8,84 C36.2,88 38.5,92 41.5,95.5 '
         'C43,97.5 45.5,99.5 48.5,100.5 L51,99 L53,100.5 L55,99 L57.5,100.5 '
         'C60.5,99.5 63,97.5 64.5,95.5 C67.5,92 69.8,88 69.2,84 C68.5,80 64,79 59.5,80.5 C58,82 56,84 53,84 Z')
    holes = ('<ellipse cx="46.8" cy="95" rx="2" ry="2.6" style="fill:#8c7b58;opacity:0.55"/>'
             '<ellipse cx="59.2" cy="95" rx="2" ry="2.6" style="fill:#8c7b58;opacity:0.55"/>'
             '<path d="M50.5,84 L55.5,84 L54.6,93 L53,95 L51.4,93 Z" style="fill:#e6dcc3"/>')
    return f'<g{i} style="{style}"><path d="{d}"/>{holes}</g>'


def hand(cx, cy, s, style):
    """A hand seen from the front: palm and fanned fingers, s = 1 left of the figure, -1 right."""
    fingers = ''.join(
        f'<path d="M{f(cx)},{f(cy)} L{f(cx - s * (2.2 + k * 0.2) + s * (k - 2) * 0.9)},{f(cy + 5 + (2 - abs(k - 2)) * 0.6)}" '
        f'style="fill:none;stroke:#8c7b58;stroke-width:0.95;stroke-linecap:round"/>' for k in range(5))
    return f'<g style="{style}"><ellipse cx="{f(cx)}" cy="{f(cy)}" rx="2.2" ry="2.8"/>{fingers}</g>'


def foot(cx, cy, s, style):
    return (f'<path style="{style}" d="M{f(cx - 2.4)},{f(cy)} L{f(cx + 2.4)},{f(cy)} '
            f'L{f(cx + s * 0.6 + 3.8)},{f(cy + 8.5)} L{f(cx - 3.8 + s * 0.6)},{f(cy + 8.5)} Z"/>')


def skeleton(w=0.35, ids=False):
    """The whole skeleton; with ids=True each labelled bone carries an id for the hotspot table."""
    st = BONE.format(w=w)
    def i(name):
        return name if ids else None
    parts = [skull(st, i('czaszka')), spine(st, i('kregoslup')), ribcage(st, i('zebra')),
             clavicles(st, i('obojczyk')), pelvis(st, i('miednica'))]
    limbs = []
    for s in (1, -1):
        X = (lambda x: x) if s == 1 else (lambda x: 106 - x)
        sfx = '' if s == 1 else '_p'
        limbs.append(bone((X(34.5), 38), (X(27), 64), 2.6, st, ident=i('ramie' + sfx)))
        # Palms forward: the radius lies on the thumb's side, away from the body; the ulna inside it.
        limbs.append(bone((X(26.5), 66.5), (X(15.5), 88.5), 1.4, st, knob=1.7, ident=i('promien' + sfx)))
        limbs.append(bone((X(28.2), 67), (X(17.8), 89.5), 1.3, st, knob=1.7, ident=i('lokciowa' + sfx)))
        limbs.append(hand(X(13.5), 93.5, s, st))
        limbs.append(bone((X(44.5), 96), (X(43.2), 136.5), 3.4, st, ident=i('udowa' + sfx)))
        limbs.append(f'<ellipse cx="{f(X(43.3))}" cy="139.3" rx="2.1" ry="2.3" style="{st}"/>')
        limbs.append(bone((X(42.6), 174.5), (X(43.6), 181), 0.01, st, knob=1))
        limbs.append(bone((X(43.6), 142.5), (X(43.1), 180.5), 2.7, st, ident=i('piszczel' + sfx)))
        # The fibula lies on the lower leg's outer side, away from the body like the radius.
        limbs.append(bone((X(40.6), 143.5), (X(40.0), 179), 1.1, st, knob=1.5, ident=i('strzalka' + sfx)))
        limbs.append(foot(X(43.3), 183, s, st))
    # The shoulder blades sit behind the ribs, so they go first.
    scap = ''.join(f'<path style="{st};opacity:0.85" d="M{f(53 + s * 9)},{f(37)} L{f(53 + s * 19)},{f(36.5)} '
                   f'L{f(53 + s * 13)},{f(52)} Z"/>' for s in (1, -1))
    return scap + ''.join(limbs) + ''.join(parts)


def muscles(w=0.3, ids=False):
    st = MUSCLE.format(w=w)
    light = 'fill:none;stroke:#e9a39a;stroke-width:0.35;opacity:0.8'
    def i(name):
        return name if ids else None
    out = []
    for s in (1, -1):
        X = (lambda x: x) if s == 1 else (lambda x: 106 - x)
        sfx = '' if s == 1 else '_p'
        out.append(spindle((X(51), 24), (X(47.5), 32.5), 1.3, st, ident=i('mostkowo' + sfx)))
        out.append(f'<path id="{i("piersiowy" + sfx) or ""}" style="{st}" d="M{f(X(52.5))},{f(35)} L{f(X(52.5))},{f(51)} '
                   f'C{f(X(45))},{f(54)} {f(X(40))},{f(50)} {f(X(36))},{f(43)} C{f(X(40))},{f(37)} {f(X(46))},{f(34)} {f(X(52.5))},{f(35)} Z"/>')
        out.append(spindle((X(37.5), 34), (X(30.5), 52), 3.6, st, bulge=0.35, ident=i('naramienny' + sfx)))
        out.append(spindle((X(32), 46), (X(27.5), 64), 2.4, st, ident=i('dwuglowy' + sfx)))
        out.append(spindle((X(27), 66), (X(17), 88), 2.3, st, bulge=0.3, ident=i('przedramie' + sfx)))
        out.append(f'<path id="{i("skosny" + sfx) or ""}" style="{st}" d="M{f(X(46.5))},{f(54)} L{f(X(38.5))},{f(57)} '
                   f'C{f(X(37))},{f(66)} {f(X(38))},{f(75)} {f(X(40))},{f(82)} L{f(X(46.5))},{f(90)} Z"/>')
        out.append(spindle((X(41.5), 97), (X(44.5), 136), 5.2, st, bulge=0.4, ident=i('czworoglowy' + sfx)))
        out.append(spindle((X(48), 98), (X(45), 135), 1.6, st, bulge=0.5, ident=i('przywodziciel' + sfx)))
        out.append(spindle((X(41.5), 142), (X(43), 178), 2.7, st, bulge=0.3, ident=i('lydka' + sfx)))
        out.append(spindle((X(45.5), 143), (X(44.5), 176), 1.4, st, bulge=0.35))
    abs_ = [f'<rect x="{f(x)}" y="{f(y)}" width="5.6" height="{f(h)}" rx="1.6" style="{st}"/>'
            for x in (47.2, 53.2) for (y, h) in ((53.5, 7.6), (61.8, 7.6), (70.1, 7.6), (78.4, 12))]
    out.append(f'<g id="{i("prosty") or ""}">{"".join(abs_)}</g>')
    # Fibre lines give the bellies their direction.
    fib = []
    for s in (1, -1):
        X = (lambda x: x) if s == 1 else (lambda x: 106 - x)
        for k in range(4):
            fib.append(f'<path style="{light}" d="M{f(X(42 + k * 0.8))},{f(104 + k * 6)} L{f(X(43 + k * 0.5))},{f(110 + k * 6)}"/>')
            fib.append(f'<path style="{light}" d="M{f(X(51.5))},{f(38 + k * 3.3)} L{f(X(40 + k * 1.2))},{f(42 + k * 1.8)}"/>')
    return ''.join(out).replace(' id=""', '') + ''.join(fib)
