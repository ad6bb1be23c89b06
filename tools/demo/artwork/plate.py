"""A plate of the atlas: a 398 x 480 picture with a title, a drawing and labelled structures.

Each labelled structure is one or more SVG elements with ids (a pair names both sides), its label
a text and a marker with ids of their own; the demo builder measures their boxes for the hotspot
table, so a spot here is a row of that table: plate, code, link, shapes, label."""

import re

from common import *

W, H = 398, 480
LEFT_X, RIGHT_X = 86, 312     # label columns: text ends / starts here
TOP, BOTTOM = 64, 470         # label band
GAP = 15                      # least distance between two labels' baselines
FADE = 24                     # width of the fade at a cut drawing's edges


class Place:
    """Maps a drawing's own coordinates (a box src) into a box of the plate, keeping proportions."""

    def __init__(self, src, dst):
        sx, sy, sw, sh = src
        dx, dy, dw, dh = dst
        self.src, self.dst = src, dst
        self.k = min(dw / sw, dh / sh)
        self.tx = dx + (dw - sw * self.k) / 2 - sx * self.k
        self.ty = dy + (dh - sh * self.k) / 2 - sy * self.k

    def pt(self, x, y):
        return (self.tx + x * self.k, self.ty + y * self.k)

    def g(self, content, ident=None):
        i = f' id="{ident}"' if ident else ''
        return f'<g{i} transform="translate({self.tx:.3f},{self.ty:.3f}) scale({self.k:.5f})">{content}</g>'

    def crop(self, content):
        return crop(content, self.src, self.dst, frame=False)


class Spot:
    def __init__(self, code, name, element, anchor, side, link, y):
        self.code, self.name, self.element = code, name, element
        self.anchor, self.side, self.link = anchor, side, link
        self.y = anchor[1] + 3.5 if y is None else y
        shown = name + (' ›' if link else '')
        self.lines = wrap(shown, 15 if link else 16)


def wrap(shown, limit):
    """A label's lines: one when it fits, else two as even as may be, split at a space or else
    after a hyphen; a name too long for two lines is filled line by line."""
    if len(shown) <= limit:
        return [shown]
    for sep in ' -':
        cuts = [(shown[:i], shown[i + 1:]) if sep == ' ' else (shown[:i + 1], shown[i + 1:])
                for i, ch in enumerate(shown) if ch == sep]
        cuts = [c for c in cuts if max(len(c[0]), len(c[1])) <= limit]
        if cuts:
            return list(min(cuts, key=lambda c: abs(len(c[0]) - len(c[1]))))
    lines = ['']
    for word in re.findall(r'[^ -]+-?', shown):
        if lines[-1] and len(lines[-1]) + len(word) > limit:
            lines.append('')
        lines[-1] += word if lines[-1].endswith('-') or not lines[-1] else ' ' + word
    return lines


class Plate:
    def __init__(self, key, title, subtitle, system, background='#fbf8f3'):
        self.key, self.title, self.subtitle, self.system = key, title, subtitle, system
        self.background = background
        self.parts, self.spots, self.defs = [], [], ''
        self.cuts = []

    def art(self, *svg):
        self.parts.extend(svg)

    def cut(self, place, content, fade=True):
        """A drawing cut to the place's box (a part of a body): its cut edges fade into the
        page, drawn over whatever the plate lays on the cut, so nothing ends sharp at the box."""
        self.art(place.crop(content))
        if fade:
            self.cuts.append(place.dst)

    def _fades(self):
        if not self.cuts:
            return ''
        b = self.background
        # Gradients run from the page's colour at the box's edge to nothing inside.
        self.defs += ''.join(
            f'<linearGradient id="zanik-{n}" x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}">'
            f'<stop offset="0" stop-color="{b}" stop-opacity="1"/><stop offset="1" stop-color="{b}" stop-opacity="0"/>'
            '</linearGradient>'
            for n, (x1, y1, x2, y2) in {'t': (0, 0, 0, 1), 'b': (0, 1, 0, 0), 'l': (0, 0, 1, 0), 'r': (1, 0, 0, 0)}.items())
        out = []
        for x, y, w, h in self.cuts:
            f = FADE
            out.append(f'<rect x="{x - 1:.1f}" y="{y - 1:.1f}" width="{w + 2:.1f}" height="{f + 1}" fill="url(#zanik-t)"/>'
                       f'<rect x="{x - 1:.1f}" y="{y + h - f:.1f}" width="{w + 2:.1f}" height="{f + 1}" fill="url(#zanik-b)"/>'
                       f'<rect x="{x - 1:.1f}" y="{y - 1:.1f}" width="{f + 1}" height="{h + 2:.1f}" fill="url(#zanik-l)"/>'
                       f'<rect x="{x + w - f:.1f}" y="{y - 1:.1f}" width="{f + 1}" height="{h + 2:.1f}" fill="url(#zanik-r)"/>')
            # What the plate draws over the cut stops at the box's edges.
            out.append(f'<rect x="0" y="0" width="{W}" height="{y:.1f}" fill="{b}"/>'
                       f'<rect x="0" y="{y + h:.1f}" width="{W}" height="{H - y - h:.1f}" fill="{b}"/>'
                       if len(self.cuts) == 1 else '')
        return ''.join(out)

    def zoom(self, box):
        """Drawings made on a larger sheet: what is drawn in box (x, y, w, h) is fitted between the
        label columns from now on, and spot anchors given in that box are mapped alike."""
        self._place = Place(box, (LEFT_X + 4, 56, RIGHT_X - LEFT_X - 8, 410))

    _place = None

    def _art_all(self):
        return ''.join(self.parts) if self._place is None else self._place.g(''.join(self.parts))

    def spot(self, code, name, element, anchor, side='L', link=None, y=None):
        if self._place is not None:
            anchor = self._place.pt(*anchor)
            y = None if y is None else self._place.pt(0, y)[1]
        self.spots.append(Spot(code, name, element, anchor, side, link, y))

    def _layout(self):
        for side in 'LR':
            spots = sorted((s for s in self.spots if s.side == side), key=lambda s: s.y)
            for a, b in zip(spots, spots[1:]):
                b.y = max(b.y, a.y + GAP + 11 * (len(a.lines) - 1))
            overflow = (spots[-1].y + 11 * (len(spots[-1].lines) - 1) - BOTTOM) if spots else 0
            if overflow > 0:
                for s in spots:
                    s.y -= overflow
                for a, b in zip(reversed(spots[:-1]), reversed(spots[1:])):
                    a.y = min(a.y, b.y - GAP - 11 * (len(a.lines) - 1))

    def _label(self, s):
        c = COLOUR[self.system]
        colour = '#1f5a8c' if s.link else '#23303c'
        ax, ay = s.anchor
        if s.side == 'L':
            lx, tx, anchor = LEFT_X + 3, LEFT_X, 'end'
        else:
            lx, tx, anchor = RIGHT_X - 3, RIGHT_X, 'start'
        ly = s.y - 3.5
        # The text and the marker carry ids of their own: both are hotspots of the structure.
        return (f'<path d="M{lx:.1f},{ly:.1f} L{ax:.1f},{ay:.1f}" fill="none" stroke="#4a4a4a" stroke-width="0.7" opacity="0.85"/>'
                f'<circle id="znak-{s.code}" cx="{ax:.1f}" cy="{ay:.1f}" r="1.9" fill="{c}" stroke="#333" stroke-width="0.6"/>'
                f'<g id="podpis-{s.code}">'
                + ''.join(text(tx, s.y + 11 * i, line, 11.5, fill=colour, family=NARROW, weight='bold' if s.link else 'normal',
                               anchor=anchor) for i, line in enumerate(s.lines)) + '</g>')

    def svg(self):
        self._layout()
        c = COLOUR[self.system]
        page = f'<rect width="{W}" height="{H}" fill="{self.background}"/>'
        # The title band lies over the drawing, so nothing drawn reaches into it.
        head = (f'<rect width="{W}" height="46" fill="{self.background}"/>'
                f'<rect width="{W}" height="46" fill="{c}" opacity="0.18"/>'
                f'<rect y="45" width="{W}" height="2" fill="{c}"/>'
                + text(12, 24, self.title, 17, fill='#1d2a36', family=SERIF, weight='bold', ident='tytul')
                + text(12, 39, self.subtitle, 10.5, fill='#4b5b69'))
        body = self._art_all() + self._fades()
        labels = ''.join(self._label(s) for s in self.spots)
        return svg(W, H, page + body + head + labels, self.defs)

    def rows(self):
        """Hotspot table rows: the header (its rectangle is the title), then the spots, each with
        its shapes (both sides of a pair) and its label's text and marker."""
        out = [(self.key, '000000', '', 'tytul', '', self.key.upper())]
        for s in self.spots:
            out.append((self.key, s.code, s.link or '', s.element, f'podpis-{s.code} znak-{s.code}', ''))
        return out
