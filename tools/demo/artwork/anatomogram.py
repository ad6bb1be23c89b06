"""Shapes from the EMBL-EBI Expression Atlas anatomograms (CC BY 4.0), picked by UBERON id.

Each shape comes back as an SVG fragment in the anatomogram's own coordinates, restyled by us:
the originals carry no fill (the Expression Atlas colours them at run time)."""

import os
import re
import xml.etree.ElementTree as ET

SVG = '{http://www.w3.org/2000/svg}'
XLINK = '{http://www.w3.org/1999/xlink}'
DIR = os.path.join(os.path.dirname(__file__), '..', '..', '..', 'data', 'demo', 'anatomogram')

# Attributes the fragments keep: geometry only, never the Inkscape bookkeeping.
GEOMETRY = {'d', 'x', 'y', 'width', 'height', 'cx', 'cy', 'r', 'rx', 'ry', 'transform',
            'points', 'x1', 'y1', 'x2', 'y2'}


def _local(tag):
    return tag.split('}', 1)[-1]


_NUMBER = re.compile(r'-?\d+\.\d{3,}')


def _short(value):
    # Hundredths of the anatomogram's unit are finer than any scale the atlas draws at.
    return _NUMBER.sub(lambda m: f'{float(m.group()):.2f}', value)


def _emit(el, out, style=None):
    tag = _local(el.tag)
    if tag in ('title', 'desc', 'metadata', 'a', 'text'):
        return
    attrs = {k: _short(v) for k, v in el.attrib.items() if k in GEOMETRY}
    if style is not None:
        attrs['style'] = style
    a = ''.join(f' {k}="{v}"' for k, v in attrs.items())
    kids = [c for c in el if _local(c.tag) not in ('title', 'desc', 'a', 'text')]
    if not kids:
        out.append(f'<{tag}{a}/>')
        return
    out.append(f'<{tag}{a}>')
    for c in kids:
        _emit(c, out)
    out.append(f'</{tag}>')


def _matrix(t):
    """An SVG transform list as (a, b, c, d, e, f)."""
    m = (1, 0, 0, 1, 0, 0)
    for name, args in re.findall(r'(\w+)\s*\(([^)]*)\)', t):
        v = [float(x) for x in re.split(r'[ ,]+', args.strip())]
        if name == 'translate':
            n = (1, 0, 0, 1, v[0], v[1] if len(v) > 1 else 0)
        elif name == 'scale':
            n = (v[0], 0, 0, v[1] if len(v) > 1 else v[0], 0, 0)
        elif name == 'matrix':
            n = tuple(v)
        else:
            continue
        a, b, c, d, e, f = m
        a2, b2, c2, d2, e2, f2 = n
        m = (a * a2 + c * b2, b * a2 + d * b2, a * c2 + c * d2, b * c2 + d * d2, a * e2 + c * f2 + e, b * e2 + d * f2 + f)
    return m


class Anatomogram:
    def __init__(self, name):
        self.path = os.path.join(DIR, f'homo_sapiens.{name}.svg')
        self.root = ET.parse(self.path).getroot()
        self.by_id = {e.get('id'): e for e in self.root.iter() if e.get('id')}
        vb = [float(v) for v in self.root.get('viewBox').split()]
        self.width, self.height = vb[2], vb[3]

    def _resolve(self, el):
        # A <use> stands for another shape; the fragment takes the shape itself.
        while _local(el.tag) == 'use':
            ref = el.get(XLINK + 'href') or el.get('href')
            el = self.by_id[ref.lstrip('#')]
        return el

    def _ancestors(self, el):
        parent = {c: p for p in self.root.iter() for c in p}
        chain = []
        while el in parent and parent[el] is not self.root:
            el = parent[el]
            chain.append(el.get('transform'))
        return [t for t in reversed(chain) if t]

    def shape(self, ident, style, region=None):
        """The shape, under the transforms of the groups it sits in."""
        el = self._resolve(self.by_id[ident])
        chain = self._ancestors(el)
        inner = self._shape(el, style, region, chain)
        for t in reversed(chain):
            inner = f'<g transform="{t}">{inner}</g>'
        return inner

    def _shape(self, el, style, region, chain):
        """With region = (x, y, w, h) only the parts that start inside it (a brain structure is
        drawn in several views of one file)."""
        out = []
        if region is None or _local(el.tag) != 'g':
            _emit(el, out, style)
            return ''.join(out)
        x, y, w, h = region
        matrices = [_matrix(t) for t in chain + ([el.get('transform')] if el.get('transform') else [])]
        tr = f' transform="{el.get("transform")}"' if el.get('transform') else ''
        out.append(f'<g style="{style}"{tr}>')
        for c in el:
            m = re.match(r'\s*[Mm]\s*(-?[\d.]+)[ ,]+(-?[\d.]+)', c.get('d') or '')
            if not m:
                continue
            px, py = float(m.group(1)), float(m.group(2))
            for a, b, cc, d, e, f in reversed(matrices):
                px, py = a * px + cc * py + e, b * px + d * py + f
            if x <= px <= x + w and y <= py <= y + h:
                _emit(c, out)
        out.append('</g>')
        return ''.join(out)

    def outline(self, style):
        layer = self.by_id['LAYER_OUTLINE']
        out = [f'<g style="{style}">']
        for c in layer:
            if _local(c.tag) in ('a',):
                continue
            _emit(c, out, style)
        out.append('</g>')
        return ''.join(out)


def silhouette(anat, style):
    """The body's filled shape: the first contour of the outline path."""
    import re
    for el in anat.by_id['LAYER_OUTLINE'].iter():
        d = el.get('d')
        if d and len(d) > 5000:
            first = [s for s in re.split(r'(?=[Mm])', d) if s][0]
            return f'<path d="{_short(first)}" style="{style}"/>'
    raise KeyError('no outline')
