#!/usr/bin/env python3
"""Writes the benchmark's eight web sites into bench/pages/site1..8/.

Each site is a news-style article page of realistic weight: index.html with a
few thousand words of text, a style sheet, a script that does real work once
the page is parsed, and PNG, JPEG and SVG images drawn here with the standard
library only. Everything is derived from a fixed seed, so every machine
benchmarks the same bytes. When its `load` event fires the page calls
/loaded?site=N&t=<performance.now()> on its own origin, and /shown?site=N each
time it is drawn on screen after that (at once when it loads in front, else when
its tab is shown).

    python3 bench/make_pages.py [--out DIR] [--force]
"""

import argparse
import json
import math
import os
import random
import struct
import zlib

SITES = 8
# Bumped whenever the output changes, so old folders are rewritten.
VERSION = "4"

WORDS = """time people year way day thing man world life hand part child eye woman
place work week case point government company number group problem fact council
market river harbour station library orchard valley bridge weather report season
festival museum garden railway village district committee budget school teacher
student research science engine design software network energy water power city
street house family history music theatre painting kitchen recipe travel coast
island mountain forest winter summer autumn spring morning evening harvest
measure project planning transport freight cycle route bus tram ferry runway
policy election minister review survey evidence result method sample pattern
signal window garden meadow stone timber copper glass paper cotton wool grain
""".split()
VERBS = """said found made took gave kept brought opened built moved changed showed
reported announced described explained expected suggested remained reached
followed started finished planned measured counted raised lowered improved
""".split()
ADJ = """local national early late small large new old public private quiet busy
careful rapid steady recent northern southern eastern western main central
annual weekly modest notable familiar unusual practical useful costly cheap
""".split()
NAMES = """Aldwick Brenmoor Castlereagh Dunmere Elderby Farrowden Glenholt Harwick
Ivybridge Jarrowfield Kelsham Lindmoor Marrowby Northwick Oakhurst Pellingham
""".split()
SECTIONS = ["News", "Weather", "Transport", "Culture", "Science", "Sport",
            "Business", "Opinion", "Travel", "Food"]


def sentence(rng):
    n = rng.randint(9, 22)
    words = []
    for i in range(n):
        r = rng.random()
        if i == 2:
            words.append(rng.choice(VERBS))
        elif r < 0.18:
            words.append(rng.choice(ADJ))
        elif r < 0.22:
            words.append(rng.choice(NAMES))
        elif r < 0.27:
            words.append(str(rng.randint(2, 1990)))
        else:
            words.append(rng.choice(WORDS))
    s = " ".join(words)
    return s[0].upper() + s[1:] + rng.choice([".", ".", ".", "?", "!"])


def paragraph(rng):
    return " ".join(sentence(rng) for _ in range(rng.randint(3, 7)))


def title(rng):
    return " ".join(w.capitalize() for w in
                    [rng.choice(ADJ), rng.choice(WORDS), rng.choice(VERBS), "in",
                     rng.choice(NAMES)])


# ---------------------------------------------------------------------------
# PNG (zlib) -----------------------------------------------------------------

def png(width, height, pixel):
    """RGB PNG; pixel(x, y) -> (r, g, b)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b""))


def hero_pixel(rng, width, height):
    # A sky-to-ground landscape with grain, like a photo saved as PNG.
    hills = [(rng.uniform(0, width), rng.uniform(0.35, 0.6) * height, rng.uniform(40, 160))
             for _ in range(5)]
    sky = (rng.randint(90, 140), rng.randint(140, 190), rng.randint(200, 250))
    ground = (rng.randint(50, 90), rng.randint(100, 140), rng.randint(40, 70))
    noise = random.Random(rng.random())

    def pixel(x, y):
        top = min(h[1] + h[2] * 0.3 * math.sin((x - h[0]) / h[2]) for h in hills)
        base = ground if y > top else sky
        shade = 1.0 - 0.4 * y / height if y <= top else 0.7 + 0.3 * (height - y) / height
        g = noise.randint(-14, 14)
        return bytes(max(0, min(255, int(c * shade) + g)) for c in base)
    return pixel


def icon_pixel(rng, size):
    c1 = [rng.randint(0, 255) for _ in range(3)]
    c2 = [rng.randint(0, 255) for _ in range(3)]

    def pixel(x, y):
        d = math.hypot(x - size / 2, y - size / 2) / (size / 2)
        t = min(1.0, d)
        return bytes(int(a * (1 - t) + b * t) for a, b in zip(c1, c2))
    return pixel


# ---------------------------------------------------------------------------
# Baseline JPEG (4:4:4, standard tables) --------------------------------------

_ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48,
           41, 34, 27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22,
           15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55,
           62, 63]
_QL = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40,
       57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35,
       55, 64, 81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112,
       100, 103, 99]
_QC = [17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99,
       99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32
# (bits, values) of the four standard Huffman tables.
_DC_L = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
_DC_C = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
_AC_L = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d], bytes.fromhex(
    "01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a161718"
    "191a25262728292a3435363738393a434445464748494a535455565758595a636465666768696a737475"
    "767778797a838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3"
    "c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa"))
_AC_C = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], bytes.fromhex(
    "000102031104052131061241510761711322328108144291a1b1c109233352f0156272d10a162434e125"
    "f11718191a262728292a35363738393a434445464748494a535455565758595a636465666768696a7374"
    "75767778797a82838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9ba"
    "c2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae2e3e4e5e6e7e8e9eaf2f3f4f5f6f7f8f9fa"))


def _codes(table):
    bits, values = table
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(bits[length - 1]):
            codes[values[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


def _scaled(q, quality):
    s = 5000 // quality if quality < 50 else 200 - 2 * quality
    return [max(1, min(255, (v * s + 50) // 100)) for v in q]


_COS = [[(math.sqrt(0.5) if u == 0 else 1.0) * 0.5 * math.cos((2 * x + 1) * u * math.pi / 16)
         for x in range(8)] for u in range(8)]


def _fdct(block):
    tmp = [[sum(_COS[u][x] * block[y * 8 + x] for x in range(8)) for u in range(8)]
           for y in range(8)]
    return [sum(_COS[v][y] * tmp[y][u] for y in range(8)) for v in range(8) for u in range(8)]


class _Bits:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, code, length):
        self.acc = (self.acc << length) | code
        self.n += length
        while self.n >= 8:
            self.n -= 8
            byte = (self.acc >> self.n) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)
        self.acc &= (1 << self.n) - 1

    def flush(self):
        if self.n:
            self.put((1 << (8 - self.n)) - 1, 8 - self.n)


def _magnitude(v):
    n = abs(v).bit_length()
    return n, (v if v >= 0 else v + (1 << n) - 1)


def jpeg(width, height, pixel, quality=85):
    ql, qc = _scaled(_QL, quality), _scaled(_QC, quality)
    dcl, dcc, acl, acc = (_codes(t) for t in (_DC_L, _DC_C, _AC_L, _AC_C))
    img = [[pixel(x, y) for x in range(width)] for y in range(height)]
    bits = _Bits()
    prev = [0, 0, 0]
    for by in range(0, height, 8):
        for bx in range(0, width, 8):
            ycc = ([], [], [])
            for y in range(by, by + 8):
                row = img[min(y, height - 1)]
                for x in range(bx, bx + 8):
                    r, g, b = row[min(x, width - 1)]
                    ycc[0].append(0.299 * r + 0.587 * g + 0.114 * b - 128)
                    ycc[1].append(-0.1687 * r - 0.3313 * g + 0.5 * b)
                    ycc[2].append(0.5 * r - 0.4187 * g - 0.0813 * b)
            for c in range(3):
                q = ql if c == 0 else qc
                dc_t, ac_t = (dcl, acl) if c == 0 else (dcc, acc)
                coef = _fdct(ycc[c])
                zz = [int(round(coef[_ZIGZAG[i]] / q[_ZIGZAG[i]])) for i in range(64)]
                n, v = _magnitude(zz[0] - prev[c])
                prev[c] = zz[0]
                bits.put(*dc_t[n])
                if n:
                    bits.put(v, n)
                run = 0
                for i in range(1, 64):
                    if zz[i] == 0:
                        run += 1
                        continue
                    while run > 15:
                        bits.put(*ac_t[0xF0])
                        run -= 16
                    n, v = _magnitude(zz[i])
                    bits.put(*ac_t[(run << 4) | n])
                    bits.put(v, n)
                    run = 0
                if run:
                    bits.put(*ac_t[0x00])
    bits.flush()

    def seg(marker, data):
        return struct.pack(">BBH", 0xFF, marker, len(data) + 2) + data

    def dht(cls_id, table):
        b, vals = table
        return bytes([cls_id]) + bytes(b) + bytes(vals)

    out = b"\xff\xd8" + seg(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    out += seg(0xDB, b"\x00" + bytes(ql[_ZIGZAG[i]] for i in range(64))
               + b"\x01" + bytes(qc[_ZIGZAG[i]] for i in range(64)))
    out += seg(0xC0, struct.pack(">BHHB", 8, height, width, 3)
               + b"\x01\x11\x00\x02\x11\x01\x03\x11\x01")
    out += seg(0xC4, dht(0x00, _DC_L) + dht(0x10, _AC_L) + dht(0x01, _DC_C) + dht(0x11, _AC_C))
    out += seg(0xDA, b"\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00")
    return out + bytes(bits.out) + b"\xff\xd9"


def photo_pixel(rng, width, height):
    # Soft blobs of colour with fine texture: compresses like a real photograph.
    blobs = [(rng.uniform(0, width), rng.uniform(0, height), rng.uniform(20, 90),
              [rng.randint(30, 230) for _ in range(3)]) for _ in range(9)]
    noise = random.Random(rng.random())

    def pixel(x, y):
        acc = [60.0, 60.0, 60.0]
        for cx, cy, rad, col in blobs:
            w = math.exp(-((x - cx) ** 2 + (y - cy) ** 2) / (2 * rad * rad))
            for i in range(3):
                acc[i] += (col[i] - acc[i]) * w
        t = 10 * math.sin(x * 0.9 + y * 0.35) + noise.randint(-10, 10)
        return tuple(max(0, min(255, int(a + t))) for a in acc)
    return pixel


# ---------------------------------------------------------------------------
# SVG ------------------------------------------------------------------------

def svg_chart(rng, width=640, height=320):
    series = [[rng.uniform(10, 90) for _ in range(60)] for _ in range(4)]
    colors = ["#1f6feb", "#d1242f", "#2da44e", "#bf8700"]
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
             f'viewBox="0 0 {width} {height}">',
             f'<rect width="{width}" height="{height}" fill="#fbfbfb"/>']
    for i in range(0, 101, 10):
        y = height - 20 - i * (height - 40) / 100
        parts.append(f'<line x1="40" y1="{y:.1f}" x2="{width - 10}" y2="{y:.1f}" stroke="#ddd"/>'
                     f'<text x="4" y="{y + 4:.1f}" font-size="10" fill="#555">{i}</text>')
    for s, col in zip(series, colors):
        pts = " ".join(f"{40 + j * (width - 50) / 59:.1f},{height - 20 - v * (height - 40) / 100:.1f}"
                       for j, v in enumerate(s))
        parts.append(f'<polyline fill="none" stroke="{col}" stroke-width="1.6" points="{pts}"/>')
        for j, v in enumerate(s):
            parts.append(f'<circle cx="{40 + j * (width - 50) / 59:.1f}" '
                         f'cy="{height - 20 - v * (height - 40) / 100:.1f}" r="2" fill="{col}"/>')
    parts.append("</svg>")
    return "\n".join(parts).encode()


def svg_logo(rng, name):
    hue = rng.randint(0, 359)
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="180" height="40" viewBox="0 0 180 40">'
            f'<rect rx="6" width="180" height="40" fill="hsl({hue},55%,35%)"/>'
            f'<circle cx="20" cy="20" r="12" fill="hsl({(hue + 180) % 360},70%,60%)"/>'
            f'<text x="40" y="27" font-family="sans-serif" font-size="18" fill="#fff">{name}</text>'
            f'</svg>').encode()


# ---------------------------------------------------------------------------
# Text assets ----------------------------------------------------------------

def css(rng, n):
    accent = f"hsl({rng.randint(0, 359)},60%,38%)"
    out = [f""":root {{ --accent: {accent}; --ink: #1d1d1f; --muted: #5b6270; --rule: #e3e5ea; }}
* {{ box-sizing: border-box; }}
body {{ margin: 0; font: 17px/1.6 "DejaVu Serif", Georgia, serif; color: var(--ink); background: #fff; }}
header.masthead {{ display: flex; align-items: center; gap: 24px; padding: 12px 32px; border-bottom: 4px solid var(--accent); }}
header.masthead nav a {{ font: 600 14px/1 "DejaVu Sans", sans-serif; color: var(--muted); text-decoration: none; margin-right: 16px; }}
header.masthead nav a:hover {{ color: var(--accent); }}
main {{ display: grid; grid-template-columns: minmax(0, 1fr) 300px; gap: 40px; max-width: 1180px; margin: 0 auto; padding: 24px 32px; }}
article h1 {{ font-size: 40px; line-height: 1.15; margin: 8px 0 12px; }}
article h2 {{ font-size: 24px; margin-top: 36px; border-top: 1px solid var(--rule); padding-top: 16px; }}
article figure {{ margin: 24px 0; }}
article figure img {{ width: 100%; height: auto; border-radius: 4px; }}
article figcaption {{ font: 13px/1.4 "DejaVu Sans", sans-serif; color: var(--muted); }}
aside .card {{ border: 1px solid var(--rule); border-radius: 6px; padding: 14px; margin-bottom: 18px; }}
aside .card img {{ float: left; width: 48px; height: 48px; margin-right: 10px; border-radius: 50%; }}
table.data {{ border-collapse: collapse; width: 100%; font: 14px/1.4 "DejaVu Sans", sans-serif; }}
table.data th, table.data td {{ border-bottom: 1px solid var(--rule); padding: 6px 8px; text-align: right; }}
table.data th:first-child, table.data td:first-child {{ text-align: left; }}
.toc {{ font: 14px/1.5 "DejaVu Sans", sans-serif; background: #f6f7f9; padding: 12px 16px; border-radius: 6px; }}
.reading-time {{ color: var(--muted); font: 13px "DejaVu Sans", sans-serif; }}
footer {{ border-top: 1px solid var(--rule); padding: 24px 32px; color: var(--muted); font: 13px "DejaVu Sans", sans-serif; }}
@media (max-width: 900px) {{ main {{ grid-template-columns: 1fr; }} aside {{ display: none; }} }}
"""]
    # The long tail of component rules a real site's style sheet carries.
    for i in range(rng.randint(260, 340)):
        sel = f".c-{rng.choice(WORDS)}-{i}"
        props = [f"margin: {rng.randint(0, 24)}px {rng.randint(0, 24)}px",
                 f"padding: {rng.randint(0, 16)}px",
                 f"color: hsl({rng.randint(0, 359)}, {rng.randint(20, 80)}%, {rng.randint(20, 60)}%)",
                 f"font-size: {rng.randint(11, 22)}px",
                 f"border-radius: {rng.randint(0, 12)}px",
                 f"line-height: {rng.uniform(1.1, 1.8):.2f}"]
        rng.shuffle(props)
        out.append(f"{sel}, {sel} > .{rng.choice(WORDS)} {{ {'; '.join(props[:rng.randint(2, 6)])}; }}\n")
    return "".join(out).encode()


def js(rng, n, data):
    lib = []
    # Helper functions in the style of a bundled site script.
    for i in range(rng.randint(120, 160)):
        a, b = rng.choice(WORDS), rng.choice(WORDS)
        lib.append(f"""  function {a}_{b}_{i}(items, key) {{
    var out = [], seen = Object.create(null);
    for (var i = 0; i < items.length; i++) {{
      var k = String(items[i][key] || '{a}').toLowerCase();
      if (!seen[k]) {{ seen[k] = 1; out.push({{ key: k, n: i * {rng.randint(2, 9)} % {rng.randint(11, 97)} }}); }}
    }}
    return out.sort(function (x, y) {{ return x.n - y.n || (x.key < y.key ? -1 : 1); }});
  }}
  registry['{a}_{b}_{i}'] = {a}_{b}_{i};
""")
    return f"""/* site{n} bundle */
(function () {{
  'use strict';
  var registry = {{}};
{''.join(lib)}
  var DATA = {json.dumps(data)};

  function readingTime(root) {{
    var words = (root.textContent || '').split(/\\s+/).length;
    return Math.max(1, Math.round(words / 230));
  }}

  function buildToc(article) {{
    var toc = document.querySelector('.toc ol');
    var heads = article.querySelectorAll('h2');
    for (var i = 0; i < heads.length; i++) {{
      var id = 'sec-' + (i + 1);
      heads[i].id = id;
      var li = document.createElement('li');
      var a = document.createElement('a');
      a.href = '#' + id;
      a.textContent = heads[i].textContent;
      li.appendChild(a);
      toc.appendChild(li);
    }}
  }}

  function buildTable(host) {{
    var table = document.createElement('table');
    table.className = 'data';
    var head = table.insertRow();
    ['District', 'Q1', 'Q2', 'Q3', 'Q4', 'Change'].forEach(function (h) {{
      var th = document.createElement('th'); th.textContent = h; head.appendChild(th);
    }});
    DATA.rows.forEach(function (r) {{
      var tr = table.insertRow();
      tr.insertCell().textContent = r.name;
      r.q.forEach(function (v) {{ tr.insertCell().textContent = v.toFixed(1); }});
      var ch = (r.q[3] - r.q[0]) / r.q[0] * 100;
      tr.insertCell().textContent = (ch >= 0 ? '+' : '') + ch.toFixed(1) + '%';
    }});
    host.appendChild(table);
  }}

  document.addEventListener('DOMContentLoaded', function () {{
    var article = document.querySelector('article');
    buildToc(article);
    buildTable(document.getElementById('figures'));
    document.querySelector('.reading-time').textContent = readingTime(article) + ' min read';
    var summary = 0;
    Object.keys(registry).forEach(function (k) {{ summary += registry[k](DATA.rows, 'name').length; }});
    document.body.setAttribute('data-modules', String(summary));
  }});

  // Once loaded and on screen (now, or when its tab is shown), the page reports the
  // first frame it draws: two animation frames, which a hidden page never gets.
  var loaded = false;
  function reportShown() {{
    if (!loaded || document.visibilityState !== 'visible') return;
    requestAnimationFrame(function () {{ requestAnimationFrame(function () {{
      fetch('/shown?site={n}&t=' + performance.now(), {{ cache: 'no-store' }});
    }}); }});
  }}
  document.addEventListener('visibilitychange', reportShown);
  window.addEventListener('load', function () {{
    loaded = true;
    fetch('/loaded?site={n}&t=' + performance.now(), {{ cache: 'no-store' }});
    reportShown();
  }});
}})();
""".encode()


def html(rng, n, name, images):
    sec = rng.sample(SECTIONS, 6)
    nav = "".join(f'<a href="#{s.lower()}">{s}</a>' for s in sec)
    body = []
    fig = iter(images["figures"])
    for h in range(rng.randint(7, 9)):
        body.append(f"<h2>{title(rng)}</h2>")
        for p in range(rng.randint(4, 7)):
            body.append(f"<p>{paragraph(rng)}</p>")
        if h in (0, 3, 6):
            src, w, hgt, alt = next(fig, images["figures"][0])
            body.append(f'<figure><img src="{src}" width="{w}" height="{hgt}" alt="{alt}">'
                        f"<figcaption>{sentence(rng)}</figcaption></figure>")
    cards = "".join(
        f'<div class="card"><img src="{src}" alt=""><strong>{title(rng)}</strong>'
        f"<p>{sentence(rng)}</p></div>" for src in images["icons"])
    links = "".join(f'<li><a href="#">{title(rng)}</a></li>' for _ in range(12))
    return f"""<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{name} – {title(rng)}</title>
<link rel="stylesheet" href="style.css">
<script src="app.js" defer></script>
</head><body>
<header class="masthead"><img src="logo.svg" width="180" height="40" alt="{name}"><nav>{nav}</nav></header>
<main>
<article>
<p class="reading-time"></p>
<h1>{title(rng)}</h1>
<p><em>{paragraph(rng)}</em></p>
<div class="toc"><strong>In this article</strong><ol></ol></div>
{''.join(body)}
<h2>Figures</h2>
<div id="figures"></div>
<figure><img src="chart.svg" width="640" height="320" alt="chart"><figcaption>{sentence(rng)}</figcaption></figure>
</article>
<aside>{cards}<div class="card"><strong>Most read</strong><ol>{links}</ol></div></aside>
</main>
<footer>{paragraph(rng)}</footer>
</body></html>
""".encode()


def make_site(root, n):
    rng = random.Random(1000 + n)
    name = NAMES[n * 2 % len(NAMES)] + " " + rng.choice(["Gazette", "Herald", "Courier", "Post", "Review"])
    folder = os.path.join(root, f"site{n}")
    os.makedirs(folder, exist_ok=True)
    files = {}
    files["hero.png"] = png(480, 220, hero_pixel(rng, 480, 220))
    files["photo.jpg"] = jpeg(320, 200, photo_pixel(rng, 320, 200), quality=90)
    files["detail.jpg"] = jpeg(200, 136, photo_pixel(rng, 200, 136), quality=85)
    for i in range(3):
        files[f"icon{i}.png"] = png(64, 64, icon_pixel(rng, 64))
    files["chart.svg"] = svg_chart(rng)
    files["logo.svg"] = svg_logo(rng, name.split()[0])
    images = {"figures": [("hero.png", 480, 220, "landscape"), ("photo.jpg", 320, 200, "photo"),
                          ("detail.jpg", 200, 136, "detail")],
              "icons": [f"icon{i}.png" for i in range(3)]}
    data = {"rows": [{"name": rng.choice(NAMES) + " " + rng.choice(WORDS),
                      "q": [round(rng.uniform(20, 900), 1) for _ in range(4)]}
                     for _ in range(rng.randint(40, 60))]}
    files["style.css"] = css(rng, n)
    files["app.js"] = js(rng, n, data)
    files["index.html"] = html(rng, n, name, images)
    for fname, blob in files.items():
        with open(os.path.join(folder, fname), "wb") as f:
            f.write(blob)
    return sum(len(b) for b in files.values())


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(here, "pages"))
    ap.add_argument("--force", action="store_true", help="rewrite even when up to date")
    args = ap.parse_args()
    stamp = os.path.join(args.out, ".version")
    try:
        with open(stamp) as f:
            current = f.read().strip() == VERSION
    except OSError:
        current = False
    if current and not args.force and all(
            os.path.exists(os.path.join(args.out, f"site{n}", "index.html"))
            for n in range(1, SITES + 1)):
        print(f"pages: up to date in {args.out}")
        return
    os.makedirs(args.out, exist_ok=True)
    for n in range(1, SITES + 1):
        size = make_site(args.out, n)
        print(f"pages: site{n} {size // 1024} KB")
    with open(stamp, "w") as f:
        f.write(VERSION + "\n")


if __name__ == "__main__":
    main()
