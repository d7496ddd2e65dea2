#!/usr/bin/python3
"""Generate Orvane's artwork and sounds into resources/.

Everything is drawn procedurally with numpy (signed-distance shapes rendered
on a supersampled grid) and written with PIL or struct, so the outputs are
reproducible byte for byte: run it twice and the files are identical.

Usage:  /usr/bin/python3 tools/make_resources.py [output-dir]
"""

import math
import os
import struct
import sys

import numpy as np
from PIL import Image

ACCENT = (34, 202, 221)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(ROOT, "resources")


# ---------------------------------------------------------------------------
# Shape toolkit
# ---------------------------------------------------------------------------

def rgbf(c):
    return np.array(c[:3], dtype=np.float64) / 255.0


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def sd_circle(X, Y, cx, cy, r):
    return np.hypot(X - cx, Y - cy) - r


def sd_box(X, Y, x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hw, hh = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r
    qx = np.abs(X - cx) - hw
    qy = np.abs(Y - cy) - hh
    outside = np.hypot(np.maximum(qx, 0.0), np.maximum(qy, 0.0))
    inside = np.minimum(np.maximum(qx, qy), 0.0)
    return outside + inside - r


def sd_segment(X, Y, ax, ay, bx, by, r):
    pax, pay = X - ax, Y - ay
    bax, bay = bx - ax, by - ay
    h = np.clip((pax * bax + pay * bay) / (bax * bax + bay * bay), 0.0, 1.0)
    return np.hypot(pax - bax * h, pay - bay * h) - r


def sd_polyline(X, Y, pts, r):
    d = None
    for (ax, ay), (bx, by) in zip(pts[:-1], pts[1:]):
        s = sd_segment(X, Y, ax, ay, bx, by, r)
        d = s if d is None else np.minimum(d, s)
    return d


def sd_convex(X, Y, pts):
    """Convex polygon; exact inside, slightly conservative outside corners,
    which is invisible once anti-aliased."""
    area = 0.0
    for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
        area += ax * by - bx * ay
    sign = 1.0 if area > 0 else -1.0
    d = None
    for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
        ex, ey = bx - ax, by - ay
        ln = math.hypot(ex, ey)
        # outward normal for the polygon's winding
        nx, ny = sign * ey / ln, -sign * ex / ln
        s = (X - ax) * nx + (Y - ay) * ny
        d = s if d is None else np.maximum(d, s)
    return d


def wrap_angle(a):
    return (a + np.pi) % (2 * np.pi) - np.pi


def sd_arc(X, Y, cx, cy, r, a0, a1, w):
    """Stroke of width w along a circle from angle a0 to a1 (radians, y down),
    with round caps."""
    dx, dy = X - cx, Y - cy
    dist = np.hypot(dx, dy)
    mid, half = (a0 + a1) / 2.0, (a1 - a0) / 2.0
    inside = np.abs(wrap_angle(np.arctan2(dy, dx) - mid)) <= half
    e0 = np.hypot(X - (cx + r * math.cos(a0)), Y - (cy + r * math.sin(a0)))
    e1 = np.hypot(X - (cx + r * math.cos(a1)), Y - (cy + r * math.sin(a1)))
    return np.where(inside, np.abs(dist - r), np.minimum(e0, e1)) - w / 2.0


def gaussian_blur(a, sigma):
    if sigma <= 0:
        return a
    r = max(1, int(math.ceil(3.0 * sigma)))
    k = np.exp(-0.5 * (np.arange(-r, r + 1) / sigma) ** 2)
    k /= k.sum()
    out = a
    for axis in (0, 1):
        pad = [(0, 0)] * a.ndim
        pad[axis] = (r, r)
        p = np.pad(out, pad, mode="constant")
        n = out.shape[axis]
        acc = np.zeros_like(out)
        for i, kv in enumerate(k):
            sl = [slice(None)] * a.ndim
            sl[axis] = slice(i, i + n)
            acc += kv * p[tuple(sl)]
        out = acc
    return out


class Canvas:
    """Premultiplied RGBA float canvas sampled ss×ss times per output pixel.

    Coordinates passed to shapes are in output pixels (0..w, 0..h), so a
    picture can be laid out on its real pixel grid while the edges still get
    exact-looking coverage from the supersampling."""

    def __init__(self, w, h, ss=4):
        self.w, self.h, self.ss = w, h, ss
        xs = (np.arange(w * ss) + 0.5) / ss
        ys = (np.arange(h * ss) + 0.5) / ss
        self.X, self.Y = np.meshgrid(xs, ys)
        self.px = np.zeros((h * ss, w * ss, 4))

    def cov(self, d, feather=0.0):
        width = 1.0 / self.ss + feather
        return np.clip(0.5 - d / width, 0.0, 1.0)

    def paint(self, d, color, alpha=1.0, feather=0.0):
        """Composite colour (tuple 0..255 or HxWx3 array 0..1) over the canvas
        wherever the signed distance d is negative."""
        a = self.cov(d, feather) * alpha
        self.paint_alpha(a, color)

    def paint_alpha(self, a, color):
        if isinstance(color, np.ndarray) and color.ndim == 3:
            c = color
        else:
            c = rgbf(color)
        a3 = a[..., None]
        self.px[..., :3] = c * a3 + self.px[..., :3] * (1.0 - a3)
        self.px[..., 3] = a + self.px[..., 3] * (1.0 - a)

    def over(self, other):
        a = other.px[..., 3:4]
        self.px = other.px + self.px * (1.0 - a)

    def layer(self):
        return Canvas(self.w, self.h, self.ss)

    def shadow_of(self, other, dx, dy, sigma, opacity, color=(0, 0, 0)):
        """Drop a blurred, offset copy of other's coverage onto this canvas."""
        a = other.px[..., 3]
        sx, sy = int(round(dx * self.ss)), int(round(dy * self.ss))
        a = np.roll(np.roll(a, sy, axis=0), sx, axis=1)
        a = gaussian_blur(a, sigma * self.ss)
        self.paint_alpha(np.clip(a * opacity, 0, 1), color)

    def lin(self, x0, y0, x1, y1, c0, c1):
        ex, ey = x1 - x0, y1 - y0
        t = ((self.X - x0) * ex + (self.Y - y0) * ey) / (ex * ex + ey * ey)
        t = np.clip(t, 0.0, 1.0)[..., None]
        return rgbf(c0) * (1.0 - t) + rgbf(c1) * t

    def image(self):
        s = self.ss
        p = self.px.reshape(self.h, s, self.w, s, 4).mean(axis=(1, 3))
        a = p[..., 3]
        rgb = np.where(a[..., None] > 1e-6,
                       p[..., :3] / np.maximum(a[..., None], 1e-6), 0.0)
        out = np.concatenate([rgb, a[..., None]], axis=-1)
        out = np.clip(np.round(out * 255.0), 0, 255).astype(np.uint8)
        out[out[..., 3] == 0] = 0
        return Image.fromarray(out, "RGBA")


def save_png(img, path):
    img.save(path, "PNG", optimize=True)


# ---------------------------------------------------------------------------
# Background
# ---------------------------------------------------------------------------

def smooth_noise(rng, w, h, cells, octaves=4):
    """Fractal value noise in [0, 1]: low-res random grids upsampled bicubically."""
    acc = np.zeros((h, w))
    amp, total = 1.0, 0.0
    for o in range(octaves):
        cw = max(2, int(cells * 2 ** o))
        ch = max(2, int(cw * h / w))
        grid = rng.random((ch, cw)).astype(np.float32)
        up = Image.fromarray(grid, "F").resize((w, h), Image.BICUBIC)
        acc += amp * np.asarray(up, dtype=np.float64)
        total += amp
        amp *= 0.5
    acc /= total
    lo, hi = acc.min(), acc.max()
    return (acc - lo) / (hi - lo)


def soft_clip(x, knee=0.78):
    over = np.maximum(x - knee, 0.0)
    return np.where(x > knee, knee + (1 - knee) * np.tanh(over / (1 - knee)), x)


def draw_microphone(img, X, Y, hx, hy, R, beta, ss):
    """Render a handheld stage microphone into the float RGB image.

    The head is a shaded sphere with a diamond wire grille; a collar with a
    glowing accent ring joins it to a tapered glossy handle pointing along
    angle beta (radians, y down)."""
    dxv, dyv = math.cos(beta), math.sin(beta)          # along the handle
    nxv, nyv = -dyv, dxv                               # across it
    PX, PY = X - hx, Y - hy
    v = PX * dxv + PY * dyv
    u = PX * nxv + PY * nyv

    key = np.array([-0.55, -0.65, 0.55])
    key /= np.linalg.norm(key)
    half = key + np.array([0.0, 0.0, 1.0])
    half /= np.linalg.norm(half)
    teal = rgbf(ACCENT)
    aa = 1.0 / ss

    def shade(nx, ny, nz, base, diff, shine, gloss, rim):
        lam = np.clip(nx * key[0] + ny * key[1] + nz * key[2], 0, 1)
        sp = np.clip(nx * half[0] + ny * half[1] + nz * half[2], 0, 1) ** gloss
        # rim light from the stage beams on the right-hand side
        rimf = np.clip(0.55 * nx - 0.25 * ny + 0.2, 0, 1) * (1 - nz) ** 2.2
        col = base + diff * lam[..., None] + shine * sp[..., None]
        return col + rim * rimf[..., None] * teal

    def put(cov, col):
        c = cov[..., None]
        img[:] = col * c + img * (1 - c)

    # handle
    v0 = 1.25 * R
    L = 3.9 * R
    w0, w1 = 0.50 * R, 0.34 * R
    t = np.clip((v - v0) / L, 0, 1)
    hw = w0 + (w1 - w0) * t
    d_side = np.abs(u) - hw
    d_end = np.hypot(u, np.maximum(v - (v0 + L), 0)) - w1
    d_body = np.where(v > v0 + L, d_end, np.maximum(d_side, v0 - v))
    cov = np.clip(0.5 - d_body / aa, 0, 1)
    s = np.clip(u / hw, -1, 1)
    nz = np.sqrt(np.clip(1 - s * s, 0, 1))
    nx, ny = s * nxv, s * nyv
    col = shade(nx, ny, nz, np.array([0.035, 0.045, 0.075]),
                np.array([0.10, 0.13, 0.18]), np.array([0.55, 0.62, 0.70]),
                40.0, 0.85)
    # faint lengthwise sheen so the handle reads as lacquered
    sheen = np.exp(-((s + 0.45) / 0.12) ** 2) * (1 - 0.6 * t)
    col = col + 0.10 * sheen[..., None]
    # edge lights separate the dark handle from the dark backdrop
    edge_r = np.exp(-((s + 0.92) / 0.08) ** 2)
    edge_l = np.exp(-((s - 0.90) / 0.07) ** 2)
    col = col + (0.45 * edge_r)[..., None] * teal + (0.12 * edge_l)[..., None] * rgbf((120, 150, 255))
    put(cov, col)

    # collar; its ring carries the skin's accent colour into the picture
    c0, c1 = 0.70 * R, 1.30 * R
    cw = 0.58 * R
    d_col = sd_box(u, v, -cw, c0, cw, c1, 0.06 * R)
    cov = np.clip(0.5 - d_col / aa, 0, 1)
    s = np.clip(u / cw, -1, 1)
    nz = np.sqrt(np.clip(1 - s * s, 0, 1))
    col = shade(s * nxv, s * nyv, nz, np.array([0.07, 0.09, 0.12]),
                np.array([0.30, 0.34, 0.40]), np.array([0.8, 0.85, 0.9]),
                30.0, 0.9)
    ring = np.exp(-((v - 1.16 * R) / (0.045 * R)) ** 2)
    col = col * (1 - 0.8 * ring[..., None]) + ring[..., None] * (teal * 1.3 + 0.2)
    # a thin bevel line where collar meets handle
    bevel = np.exp(-((v - 1.27 * R) / (0.02 * R)) ** 2)
    col = col + 0.25 * bevel[..., None]
    put(cov, col)

    # head
    d_head = np.hypot(PX, PY) - R
    cov = np.clip(0.5 - d_head / aa, 0, 1)
    gx, gy = PX / R, PY / R
    nz = np.sqrt(np.clip(1 - gx * gx - gy * gy, 0, 1))
    lu, lv = u / R, v / R
    lat = np.arcsin(np.clip(lv, -1, 1))
    lon = np.arctan2(lu, np.maximum(nz, 1e-4))
    k = 15.0
    m1 = np.abs(((lon + lat) * k / np.pi) % 1.0 - 0.5)
    m2 = np.abs(((lon - lat) * k / np.pi) % 1.0 - 0.5)
    wire = smoothstep(0.30, 0.42, np.maximum(m1, m2))
    # the mesh compresses toward the rim; blend to its mean there to avoid moire
    limb = smoothstep(0.08, 0.5, nz)
    wire = wire * limb + 0.45 * (1 - limb)
    metal = shade(gx, gy, nz, np.array([0.08, 0.10, 0.13]),
                  np.array([0.50, 0.55, 0.62]), np.array([0.9, 0.95, 1.0]),
                  18.0, 1.7)
    # the stage below reflects teal into the lower half of the ball
    below = np.clip(gy * 0.8 + 0.2, 0, 1) * (1 - nz) ** 0.8
    metal = metal + 0.35 * below[..., None] * teal
    holes = metal * 0.22 + np.array([0.01, 0.03, 0.05])
    col = holes + (metal - holes) * wire[..., None]
    # broad soft highlight sits on top of the mesh, as on a real chrome grille
    sp = np.exp(-(((gx + 0.38) ** 2 + (gy + 0.42) ** 2) / 0.05))
    col = col + 0.35 * sp[..., None]
    # a solid band around the ball, perpendicular to the handle
    band = smoothstep(0.055, 0.035, np.abs(lv - 0.34))
    col = col * (1 - band[..., None]) + band[..., None] * (metal * 1.05)
    put(cov, col)

    # the accent ring is emissive: let it bloom softly over its surroundings
    ring_d = sd_segment(u, v, -cw, 1.16 * R, cw, 1.16 * R, 0.0)
    bloom = 0.22 * np.exp(-(ring_d / (0.12 * R)) ** 2) + 0.10 * np.exp(-ring_d / (0.35 * R))
    img += bloom[..., None] * teal


def make_background(path):
    W, H, ss = 450, 300, 3
    rng = np.random.default_rng(20240611)
    xs = (np.arange(W * ss) + 0.5) / ss
    ys = (np.arange(H * ss) + 0.5) / ss
    X, Y = np.meshgrid(xs, ys)
    teal = rgbf(ACCENT)

    # deep navy night; a teal haze behind the microphone pulls the eye to the
    # upper right, the only part the program shows unfaded
    t = (Y / H)[..., None]
    top = rgbf((6, 10, 30))
    bottom = rgbf((5, 20, 36))
    img = top * (1 - t) + bottom * t
    hx, hy, R = 338.0, 104.0, 40.0
    haze = np.exp(-(((X - hx) / 210.0) ** 2 + ((Y - hy) / 170.0) ** 2))
    img += haze[..., None] * rgbf((8, 46, 72))

    smoke = smooth_noise(rng, W * ss, H * ss, 5, 5)
    smoke2 = smooth_noise(rng, W * ss, H * ss, 3, 4)
    img *= (0.85 + 0.3 * smoke)[..., None]

    # sources sit just above the frame so only the shafts show, not fixtures
    beams = [
        # (source x, y, direction deg, half-width deg, colour, strength)
        (292.0, -26.0, 124.0, 6.0, (80, 140, 255), 0.34),
        (372.0, -36.0, 101.0, 4.5, ACCENT, 0.50),
        (428.0, -30.0, 116.0, 5.0, (160, 230, 250), 0.34),
        (474.0, -16.0, 142.0, 6.5, (130, 105, 250), 0.26),
        (220.0, -22.0, 76.0, 4.0, ACCENT, 0.16),
    ]
    light = np.zeros_like(img)
    for sx, sy, deg, wdeg, c, k in beams:
        dx, dy = X - sx, Y - sy
        r = np.hypot(dx, dy)
        ang = np.degrees(np.arctan2(dy, dx))
        da = (ang - deg + 180.0) % 360.0 - 180.0
        # flat-topped core reads as a shaft of light; the skirt is scatter
        cone = np.exp(-(np.abs(da) / wdeg) ** 3) + 0.22 * np.exp(-(da / (wdeg * 2.8)) ** 2)
        fall = np.exp(-r / 230.0) * smoothstep(0.0, 30.0, r)
        volume = 0.45 + 1.1 * smoke2
        light += (k * cone * fall * volume)[..., None] * rgbf(c)
        glow = np.exp(-(r / 40.0) ** 2)
        light += (0.8 * k * glow)[..., None] * (rgbf(c) * 0.5 + 0.5)
    beam_light = light.copy()

    # sound waves open mostly to the left, leading toward the window's content
    dxh, dyh = X - hx, Y - hy
    rr = np.hypot(dxh, dyh)
    ang = np.arctan2(dyh, dxh)
    waves = np.zeros_like(rr)
    for i, rad in enumerate((62.0, 82.0, 104.0, 128.0, 154.0)):
        span = np.exp(-((wrap_angle(ang - np.pi * 1.02)) / 0.52) ** 2)
        span += 0.7 * np.exp(-((wrap_angle(ang + np.pi * 0.18)) / 0.34) ** 2)
        core = np.exp(-((rr - rad) / 0.9) ** 2)
        soft = np.exp(-((rr - rad) / 4.5) ** 2)
        fade = 0.85 ** i
        waves += (0.55 * core + 0.22 * soft) * span * fade
    light += waves[..., None] * teal * 0.75

    # the corrected melody as glowing steps: the effect these singers use
    steps = [(165, 196), (196, 188), (228, 188), (228, 180), (262, 180),
             (262, 192), (288, 192), (288, 172), (330, 172), (330, 184),
             (372, 184), (372, 166), (452, 166)]
    d_step = sd_polyline(X, Y, steps, 0.0)
    gate = smoothstep(150.0, 260.0, X)
    light += (gate * (0.55 * np.exp(-(d_step / 0.8) ** 2)
                      + 0.18 * np.exp(-(d_step / 6.0) ** 2)))[..., None] * teal
    # the raw, wobbly voice line the steps correct
    xs_line = np.linspace(150, 452, 200)
    ys_line = (182 + 9 * np.sin((xs_line - 150) / 23.0)
               + 4 * np.sin((xs_line - 150) / 7.3 + 1.1)
               - 0.06 * (xs_line - 150))
    d_raw = sd_polyline(X, Y, list(zip(xs_line, ys_line)), 0.0)
    light += (gate * 0.22 * np.exp(-(d_raw / 0.7) ** 2))[..., None] * rgbf((200, 220, 255))
    # faint semitone staff behind the trace
    for ly in range(160, 206, 8):
        line = np.exp(-((Y - ly - 0.5) / 0.5) ** 2) * smoothstep(140, 300, X)
        light += (0.045 * line)[..., None] * rgbf((140, 190, 230))

    # bokeh clusters upper right; anything lower left would be faded out anyway
    bokeh = np.zeros_like(img)
    for _ in range(36):
        bx = 450 - abs(rng.normal(0, 130))
        by = abs(rng.normal(0, 110))
        br = rng.uniform(2.0, 13.0)
        if rng.random() < 0.25:
            br *= 0.45
        pick = rng.random()
        c = ACCENT if pick < 0.5 else ((90, 150, 255) if pick < 0.8 else (170, 140, 255))
        a = rng.uniform(0.04, 0.16) * (1.2 - br / 16.0)
        d = np.hypot(X - bx, Y - by) - br
        disc = np.clip(0.5 - d / (0.6 + 0.12 * br), 0, 1)
        edge = np.exp(-((d + 0.9) / 1.1) ** 2)
        bokeh += (a * (0.8 * disc + 0.25 * edge))[..., None] * rgbf(c)
    for _ in range(70):
        sx_, sy_ = rng.uniform(40, 450), rng.uniform(0, 210)
        sr = rng.uniform(0.35, 0.8)
        d = np.hypot(X - sx_, Y - sy_)
        bokeh += (rng.uniform(0.15, 0.6) * np.exp(-(d / sr) ** 2))[..., None] * rgbf((200, 235, 255))
    light += bokeh

    # soft glow behind the head so the microphone stands out from the haze
    halo = np.exp(-(rr / 70.0) ** 2)
    light += (0.20 * halo)[..., None] * (teal * 0.8 + 0.1)

    img = img + light
    draw_microphone(img, X, Y, hx, hy, R, math.radians(62.0), ss)
    # beams pass in front of the microphone as a thin veil of haze
    img += 0.18 * beam_light

    # gentle vignette keeps the edges calm for the program's fade
    vx = (X - 330.0) / 330.0
    vy = (Y - 110.0) / 260.0
    vig = 1.0 - 0.35 * smoothstep(0.3, 1.4, np.hypot(vx, vy))
    img *= vig[..., None]

    img = soft_clip(img)
    img = img.reshape(H, ss, W, ss, 3).mean(axis=(1, 3))
    # dither before quantising so the dark gradients do not band
    img = img * 255.0 + rng.uniform(-0.5, 0.5, img.shape)
    img = np.clip(np.round(img), 0, 255).astype(np.uint8)
    Image.fromarray(img, "RGB").save(path, "JPEG", quality=90,
                                     progressive=False, optimize=False,
                                     subsampling=0)


# ---------------------------------------------------------------------------
# Icons
# ---------------------------------------------------------------------------

def mic_glyph(c, cx, top, scale, color):
    """White microphone glyph: capsule, cradle arc, stem and foot."""
    s = scale
    d = sd_box(c.X, c.Y, cx - 3.2 * s, top, cx + 3.2 * s, top + 11.0 * s, 3.2 * s)
    c.paint(d, color)
    d = sd_arc(c.X, c.Y, cx, top + 7.6 * s, 5.6 * s, 0.0, math.pi, 1.5 * s)
    c.paint(d, color)
    d = sd_segment(c.X, c.Y, cx, top + 13.2 * s, cx, top + 16.2 * s, 0.75 * s)
    c.paint(d, color)
    d = sd_segment(c.X, c.Y, cx - 3.2 * s, top + 16.6 * s, cx + 3.2 * s, top + 16.6 * s, 0.75 * s)
    c.paint(d, color)


def badge(c, x0, y0, x1, y1, r, c_top, c_bot):
    """Rounded gradient badge with a soft top highlight and darker rim."""
    d = sd_box(c.X, c.Y, x0, y0, x1, y1, r)
    c.paint(d, c.lin(0, y0, 0, y1, c_top, c_bot))
    # faint gloss on the upper half lifts the badge off flat backgrounds
    hl = sd_box(c.X, c.Y, x0 + 1.2, y0 + 1.0, x1 - 1.2, (y0 + y1) / 2.0, r - 1.0)
    c.paint(np.maximum(hl, d), (255, 255, 255), 0.10, feather=1.5)
    # inner rim darkens the edge so the badge holds on light backgrounds
    ring = np.abs(d + 0.5) - 0.5
    c.paint(ring, (0, 20, 40), 0.35)


def make_app_icon_image():
    c = Canvas(32, 32, 8)
    badge(c, 1, 1, 31, 31, 7.5, (58, 222, 236), (12, 104, 150))
    sh = c.layer()
    mic_glyph(sh, 16, 5.0, 1.18, (255, 255, 255))
    c.shadow_of(sh, 0, 0.8, 0.8, 0.45, (0, 40, 60))
    c.over(sh)
    return c.image()


def write_ico(img, path):
    """Single 32×32 32-bpp icon: BITMAPINFOHEADER + bottom-up BGRA + AND mask."""
    w, h = img.size
    a = np.asarray(img, dtype=np.uint8)
    bgra = a[:, :, [2, 1, 0, 3]].copy()
    bgra[bgra[..., 3] == 0] = 0
    xor = bgra[::-1].tobytes()
    # mask bit set where fully transparent, so mask-only renderers agree
    row_bytes = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(row_bytes)
        for x in range(w):
            if a[y, x, 3] == 0:
                bits[x >> 3] |= 0x80 >> (x & 7)
        mask += bits
    bih = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                      len(xor) + len(mask), 0, 0, 0, 0)
    image = bih + xor + bytes(mask)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


TOOL_BADGES = {
    "ressim": ((64, 220, 234), (14, 110, 156)),
    "pellat": ((96, 152, 246), (30, 60, 160)),
    "corvel": ((160, 124, 246), (72, 44, 160)),
    "tamblin": ((60, 214, 170), (12, 112, 110)),
}


def tool_icon(name, draw_symbol):
    c = Canvas(32, 32, 8)
    base = c.layer()
    badge(base, 2, 1.5, 30, 29.5, 7, *TOOL_BADGES[name])
    c.shadow_of(base, 0, 1.0, 0.9, 0.35)
    c.over(base)
    sym = c.layer()
    draw_symbol(sym)
    c.shadow_of(sym, 0, 0.7, 0.7, 0.35, (0, 20, 50))
    c.over(sym)
    return c.image()


def sym_waveform(c):
    heights = [3.0, 7.0, 12.0, 17.0, 10.0, 14.0, 6.0, 3.0]
    x = 16 - 3.0 * (len(heights) - 1) / 2.0
    for hgt in heights:
        c.paint(sd_segment(c.X, c.Y, x, 15.5 - hgt / 2, x, 15.5 + hgt / 2, 1.05),
                (255, 255, 255))
        x += 3.0


def sym_sliders(c):
    for x, knob in ((10.0, 19.0), (16.0, 11.0), (22.0, 16.0)):
        c.paint(sd_segment(c.X, c.Y, x, 7.5, x, 23.5, 0.8), (255, 255, 255), 0.55)
        c.paint(sd_box(c.X, c.Y, x - 3.2, knob - 1.9, x + 3.2, knob + 1.9, 1.2),
                (255, 255, 255))
        c.paint(sd_segment(c.X, c.Y, x - 1.6, knob, x + 1.6, knob, 0.45), (40, 60, 120), 0.7)


def sym_headphones(c):
    c.paint(sd_arc(c.X, c.Y, 16, 17.0, 9.0, math.pi, 2 * math.pi, 2.0), (255, 255, 255))
    for x0 in (6.0, 21.0):
        c.paint(sd_box(c.X, c.Y, x0, 15.5, x0 + 5.0, 24.5, 2.0), (255, 255, 255))


def sym_speaker(c):
    c.paint(sd_box(c.X, c.Y, 6.5, 12.5, 11.0, 19.5, 1.0), (255, 255, 255))
    c.paint(sd_convex(c.X, c.Y, [(10.0, 12.5), (16.5, 7.0), (16.5, 25.0), (10.0, 19.5)]),
            (255, 255, 255))
    c.paint(sd_arc(c.X, c.Y, 16.0, 16.0, 4.6, -0.85, 0.85, 1.6), (255, 255, 255))
    c.paint(sd_arc(c.X, c.Y, 16.0, 16.0, 8.6, -0.9, 0.9, 1.6), (255, 255, 255))


def make_chat():
    c = Canvas(20, 20, 8)
    body = c.layer()
    bubble = sd_box(body.X, body.Y, 1.5, 2.5, 18.5, 14.5, 4.5)
    tail = sd_convex(body.X, body.Y, [(4.5, 12.0), (9.5, 13.5), (4.0, 18.0)])
    d = np.minimum(bubble, tail)
    body.paint(d, body.lin(0, 2.5, 0, 18, (70, 224, 238), (18, 148, 180)))
    for x in (6.0, 10.0, 14.0):
        body.paint(sd_circle(body.X, body.Y, x, 8.5, 1.25), (255, 255, 255))
    c.shadow_of(body, 0, 0.6, 0.6, 0.3)
    c.over(body)
    return c.image()


def magnifier(c, cx, cy, r, ring_w, handle_len, handle_w, lens_fill=True):
    """Lens with a silver rim and a lacquered handle at 45°."""
    k = math.sqrt(0.5)
    if lens_fill:
        lens = sd_circle(c.X, c.Y, cx, cy, r)
        c.paint(lens, c.lin(cx - r, cy - r, cx + r, cy + r, (200, 245, 250), (40, 170, 200)), 0.38)
    outside = -sd_circle(c.X, c.Y, cx, cy, r + ring_w * 0.5)
    hx0, hy0 = cx + (r + ring_w * 0.5) * k, cy + (r + ring_w * 0.5) * k
    hx1, hy1 = hx0 + handle_len * k, hy0 + handle_len * k
    px, py = k, -k      # across the handle, toward its lit upper side
    # metal collar, clipped so it never shows through the glass
    collar_end = ring_w * 1.3
    d = sd_segment(c.X, c.Y, hx0 - ring_w * k, hy0 - ring_w * k,
                   hx0 + collar_end * k, hy0 + collar_end * k, handle_w * 0.40)
    c.paint(np.maximum(d, outside), c.lin(hx0 - handle_w * px, hy0 - handle_w * py,
                                          hx0 + handle_w * px, hy0 + handle_w * py,
                                          (90, 106, 124), (214, 226, 236)))
    a0x, a0y = hx0 + collar_end * k, hy0 + collar_end * k
    d_handle = sd_segment(c.X, c.Y, a0x, a0y, hx1, hy1, handle_w / 2.0)
    g = c.lin(hx1 - handle_w / 2 * px, hy1 - handle_w / 2 * py,
              hx1 + handle_w / 2 * px, hy1 + handle_w / 2 * py, (14, 52, 92), (56, 130, 180))
    c.paint(d_handle, g)
    off = handle_w * 0.2
    hl = sd_segment(c.X, c.Y, a0x + off * px + handle_w * 0.4 * k, a0y + off * py + handle_w * 0.4 * k,
                    hx1 + off * px - handle_w * 0.5 * k, hy1 + off * py - handle_w * 0.5 * k,
                    handle_w * 0.09)
    c.paint(np.maximum(hl, d_handle), (200, 240, 250), 0.55, feather=handle_w * 0.08)
    rim = np.abs(sd_circle(c.X, c.Y, cx, cy, r + ring_w / 2.0)) - ring_w / 2.0
    c.paint(rim, c.lin(cx - r, cy - r, cx + r, cy + r, (236, 244, 250), (104, 124, 146)))
    inner = np.abs(sd_circle(c.X, c.Y, cx, cy, r + 0.5)) - 0.7
    c.paint(inner, (30, 60, 90), 0.35)
    # the glint is what makes the disc read as glass rather than a ring
    glint = sd_arc(c.X, c.Y, cx, cy, r * 0.72, math.radians(200), math.radians(250), r * 0.10)
    c.paint(glint, (255, 255, 255), 0.75, feather=r * 0.03)
    gx = cx + r * 0.72 * math.cos(math.radians(262))
    gy = cy + r * 0.72 * math.sin(math.radians(262))
    c.paint(sd_circle(c.X, c.Y, gx, gy, r * 0.05), (255, 255, 255), 0.6)


def make_search():
    c = Canvas(128, 128, 4)
    fg = c.layer()
    magnifier(fg, 52.0, 52.0, 33.0, 9.0, 44.0, 15.0)
    c.shadow_of(fg, 2.5, 4.0, 3.5, 0.35)
    c.over(fg)
    return c.image()


def globe(c, cx, cy, r):
    X, Y = c.X, c.Y
    d = sd_circle(X, Y, cx, cy, r)
    gx, gy = (X - cx) / r, (Y - cy) / r
    nz = np.sqrt(np.clip(1 - gx * gx - gy * gy, 0, 1))
    light = np.clip(-0.5 * gx - 0.6 * gy + 0.62 * nz, 0, 1)
    base = rgbf((14, 64, 120)) + light[..., None] * rgbf((40, 150, 170))
    base += (np.clip(1 - nz, 0, 1) ** 3)[..., None] * rgbf(ACCENT) * 0.6
    c.paint(d, base)
    # graticule of a globe tilted toward the viewer
    tilt = math.radians(18)
    y3 = gy * math.cos(tilt) + nz * math.sin(tilt)
    z3 = -gy * math.sin(tilt) + nz * math.cos(tilt)
    lat = np.degrees(np.arcsin(np.clip(-y3, -1, 1)))
    lon = np.degrees(np.arctan2(gx, z3)) + 12.0
    lines = np.zeros_like(lat)
    px_deg = 180.0 / (math.pi * r)
    for step, arr in ((30.0, lat), (30.0, lon)):
        m = np.abs((arr + step / 2.0) % step - step / 2.0)
        lines = np.maximum(lines, np.clip(1.0 - m / (px_deg * 1.6), 0, 1))
    lines *= smoothstep(0.0, 0.35, nz)
    c.paint_alpha(np.clip(0.5 - d * c.ss, 0, 1) * lines * 0.55, (200, 240, 250))
    rim = np.abs(d + 0.6) - 0.6
    c.paint(rim, (8, 30, 60), 0.5)


def note_glyph(c, x, y, s, color, alpha=1.0):
    """Beamed pair of eighth notes, anchored at the left note head."""
    X, Y = c.X, c.Y
    d = None
    for hx in (x, x + 11 * s):
        hy = y if hx == x else y - 3 * s
        # tilted oval head, as in engraved notation
        e = np.hypot(((X - hx) * 0.94 + (Y - hy) * 0.34) / 1.3,
                     (-(X - hx) * 0.34 + (Y - hy) * 0.94)) - 2.5 * s
        d = e if d is None else np.minimum(d, e)
        stem = sd_box(X, Y, hx + 2.2 * s, hy - 14 * s, hx + 3.6 * s, hy, 0.3)
        d = np.minimum(d, stem)
    beam = sd_convex(X, Y, [(x + 2.2 * s, y - 14 * s), (x + 14.6 * s, y - 17 * s),
                            (x + 14.6 * s, y - 13.4 * s), (x + 2.2 * s, y - 10.4 * s)])
    d = np.minimum(d, beam)
    c.paint(d, color, alpha)


def make_remote_search():
    c = Canvas(128, 128, 4)
    fg = c.layer()
    globe(fg, 50.0, 50.0, 40.0)
    lens = fg.layer()
    magnifier(lens, 80.0, 80.0, 21.0, 6.5, 27.0, 11.0, lens_fill=False)
    # magnified view of the globe inside the lens: brighter glass plus a note
    glass = sd_circle(fg.X, fg.Y, 80.0, 80.0, 21.0)
    fg.paint(glass, fg.lin(60, 60, 100, 100, (210, 248, 252), (60, 190, 214)), 0.55)
    note_glyph(fg, 70.0, 90.0, 1.05, (12, 60, 100))
    c.shadow_of(lens, 1.5, 2.5, 2.5, 0.35)
    fg.over(lens)
    c.shadow_of(fg, 2.0, 3.5, 3.5, 0.30)
    c.over(fg)
    return c.image()


def make_save():
    c = Canvas(220, 220, 3)
    fg = c.layer()
    X, Y = fg.X, fg.Y
    x0, y0, x1, y1 = 26.0, 22.0, 194.0, 190.0
    body = sd_box(X, Y, x0, y0, x1, y1, 20.0)
    # clipped corner: the detail that makes the square read as a floppy disk
    cut = (X - (x1 - 34.0)) * 0.7071 - (Y - y0) * 0.7071
    body = np.maximum(body, cut)
    fg.paint(body, fg.lin(0, y0, 0, y1, (56, 214, 232), (16, 92, 150)))
    gloss = sd_box(X, Y, x0 + 4, y0 + 4, x1 - 4, (y0 + y1) / 2.0, 18.0)
    fg.paint(np.maximum(gloss, body + 4.0), (255, 255, 255), 0.10, feather=4.0)
    edge = np.abs(body + 1.0) - 1.0
    fg.paint(edge, (4, 40, 80), 0.35)
    # metal shutter
    sh = sd_box(X, Y, 62.0, y0, 146.0, 82.0, 6.0)
    sh = np.maximum(sh, y0 - Y)
    fg.paint(sh, fg.lin(62, 0, 146, 0, (236, 242, 248), (150, 166, 184)))
    fg.paint(sd_box(X, Y, 116.0, 32.0, 134.0, 72.0, 4.0), (20, 48, 80))
    # paper label
    lab = sd_box(X, Y, 50.0, 104.0, 170.0, 190.0 + 12.0, 10.0)
    lab = np.maximum(lab, Y - 190.0)
    fg.paint(lab, fg.lin(0, 104, 0, 190, (250, 253, 255), (214, 228, 238)))
    for ly in (124.0, 142.0, 160.0):
        fg.paint(sd_segment(X, Y, 68.0, ly, 152.0, ly, 1.6), (150, 180, 200), 0.55)
    c.shadow_of(fg, 3.0, 5.0, 5.0, 0.40)
    c.over(fg)
    return c.image()


# ---------------------------------------------------------------------------
# Title-bar glyphs: white, pixel-aligned strokes, soft dark shadow
# ---------------------------------------------------------------------------

def glyph_image(w, h, draw):
    c = Canvas(w, h, 8)
    g = c.layer()
    draw(g)
    c.shadow_of(g, 0.0, 1.0, 0.9, 0.75)
    c.over(g)
    return c.image()


def outline_box(c, x0, y0, x1, y1, top=1.0):
    outer = sd_box(c.X, c.Y, x0, y0, x1, y1)
    inner = sd_box(c.X, c.Y, x0 + 1, y0 + top, x1 - 1, y1 - 1)
    return np.maximum(outer, -inner)


def g_min(c):
    c.paint(sd_box(c.X, c.Y, 8, 12, 18, 13), (255, 255, 255))


def g_max(c):
    c.paint(outline_box(c, 8, 4, 18, 13, top=2.0), (255, 255, 255))


def g_restore(c):
    front = outline_box(c, 8, 7, 15, 13, top=2.0)
    back = outline_box(c, 11, 4, 18, 10, top=2.0)
    hidden = sd_box(c.X, c.Y, 8, 7, 15, 13)
    c.paint(np.maximum(back, -hidden), (255, 255, 255))
    c.paint(front, (255, 255, 255))


HELP_PIXELS = """
.+#+.
#...#
....#
...#+
..#..
..#..
.....
..#..
"""


def paint_pixels(c, art, x0, y0):
    """Hand-placed pixels: at title-bar size a drawn curve only turns grey."""
    for j, row in enumerate(art.strip().splitlines()):
        for i, ch in enumerate(row):
            a = {"#": 1.0, "+": 0.4}.get(ch)
            if a:
                d = sd_box(c.X, c.Y, x0 + i, y0 + j, x0 + i + 1, y0 + j + 1)
                c.paint(d, (255, 255, 255), a)


def g_help(c):
    paint_pixels(c, HELP_PIXELS, 11, 4)


def g_menu(c):
    for y in (5, 8, 11):
        c.paint(sd_box(c.X, c.Y, 8, y, 18, y + 1), (255, 255, 255))


def g_close(c, cx=19.0, cy=9.0, half=4.5, w=0.72):
    d = np.minimum(sd_segment(c.X, c.Y, cx - half, cy - half, cx + half, cy + half, w),
                   sd_segment(c.X, c.Y, cx - half, cy + half, cx + half, cy - half, w))
    c.paint(d, (255, 255, 255))


def make_msgbox_close():
    c = Canvas(38, 18, 8)
    g = c.layer()
    g_close(g, 19.0, 9.0, 3.5, 0.72)
    c.shadow_of(g, 0.0, 1.0, 0.9, 0.75)
    c.over(g)
    return c.image()


def pixel_triangle(w, h, direction, color=(42, 52, 66)):
    """Crisp stair-step arrow; at 7×4 anti-aliasing only blurs it."""
    a = np.zeros((h, w, 4), np.uint8)
    n = 4
    for i in range(n):
        lo, hi = i, 6 - i
        for j in range(lo, hi + 1):
            if direction == "down":
                a[i, j] = (*color, 255)
            elif direction == "up":
                a[n - 1 - i, j] = (*color, 255)
            elif direction == "right":
                a[j, i] = (*color, 255)
            elif direction == "left":
                a[j, n - 1 - i] = (*color, 255)
    return Image.fromarray(a, "RGBA")


# ---------------------------------------------------------------------------
# Sounds
# ---------------------------------------------------------------------------

def write_wav(path, samples, rate, channels):
    """PCM 16-bit with a plain 44-byte RIFF header."""
    pcm = np.clip(np.round(samples * 32767.0), -32767, 32767).astype("<i2")
    data = pcm.tobytes()
    block = channels * 2
    hdr = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    hdr += b"fmt " + struct.pack("<IHHIIHH", 16, 1, channels, rate, rate * block, block, 16)
    hdr += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as f:
        f.write(hdr + data)


def make_click():
    rate, n = 44100, 10368
    t = np.arange(n) / rate
    # slight downward pitch glide makes the tick sound rounder than a pure beep
    f = 2450.0 * (1.0 - 0.06 * (1.0 - np.exp(-t / 0.012)))
    phase = 2 * np.pi * np.cumsum(f) / rate
    attack = 0.5 - 0.5 * np.cos(np.pi * np.clip(t / 0.0015, 0, 1))
    tone = np.sin(phase) * np.exp(-t / 0.011)
    body = 0.35 * np.sin(2 * np.pi * 1225.0 * t) * np.exp(-t / 0.018)
    sig = attack * (tone + body)
    tail = 0.5 + 0.5 * np.cos(np.pi * np.clip((t - 0.20) / 0.035, 0, 1))
    sig *= tail
    sig *= 0.5 / np.max(np.abs(sig))
    return sig, rate


def make_chime():
    rate, n = 22050, 49365
    t = np.arange(n) / rate
    # D major add9 arpeggio, fanned across the stereo field
    notes = [  # freq, onset s, pan -1..1, level, decay s
        (293.66, 0.00, 0.00, 0.30, 1.10),
        (587.33, 0.00, -0.25, 0.55, 0.75),
        (739.99, 0.10, 0.20, 0.45, 0.70),
        (880.00, 0.20, -0.10, 0.42, 0.70),
        (1318.51, 0.32, 0.30, 0.26, 0.60),
        (1174.66, 0.44, -0.20, 0.30, 0.65),
    ]
    left = np.zeros(n)
    right = np.zeros(n)
    for freq, onset, pan, level, decay in notes:
        tt = t - onset
        on = tt >= 0
        tt = np.where(on, tt, 0.0)
        attack = 0.5 - 0.5 * np.cos(np.pi * np.clip(tt / 0.008, 0, 1))
        env = attack * np.exp(-tt / decay) * on
        # a hair of detune between channels adds width without audible beating
        for side, detune in ((0, -0.2), (1, 0.2)):
            f0 = freq + detune
            tone = (np.sin(2 * np.pi * f0 * tt)
                    + 0.22 * np.sin(2 * np.pi * 2.0 * f0 * tt) * np.exp(-tt / (decay * 0.35))
                    + 0.06 * np.sin(2 * np.pi * 3.0 * f0 * tt) * np.exp(-tt / (decay * 0.2)))
            gain = math.cos((pan + 1) * math.pi / 4) if side == 0 else math.sin((pan + 1) * math.pi / 4)
            (left if side == 0 else right)[:] += level * gain * env * tone
    fade = 0.5 + 0.5 * np.cos(np.pi * np.clip((t - (t[-1] - 0.35)) / 0.35, 0, 1))
    left *= fade
    right *= fade
    peak = max(np.max(np.abs(left)), np.max(np.abs(right)))
    st = np.stack([left, right], axis=1) * (0.62 / peak)
    return st.reshape(-1), rate


# ---------------------------------------------------------------------------

FILES = [
    # name, use
    ("background.jpg", "window background picture, right-aligned in the 450×364 window"),
    ("app.ico", "application and tray icon"),
    ("tool_ressim.png", "sibling tool Ressim (waveform)"),
    ("tool_pellat.png", "sibling tool Pellat (mixer sliders)"),
    ("tool_corvel.png", "sibling tool Corvel (headphones)"),
    ("tool_tamblin.png", "sibling tool Tamblin (speaker)"),
    ("chat.png", "support chat button (speech bubble)"),
    ("search.png", "local search button picture (magnifier)"),
    ("remote_search.png", "remote score search picture (magnifier over a globe)"),
    ("save.png", "save picture (disk)"),
    ("title_min.png", "title bar: minimise glyph"),
    ("title_max.png", "title bar: maximise glyph"),
    ("title_restore.png", "title bar: restore glyph"),
    ("title_help.png", "title bar: help glyph"),
    ("title_menu.png", "title bar: menu glyph"),
    ("title_close.png", "title bar: close glyph"),
    ("msgbox_close.png", "message box close button glyph"),
    ("combo_arrow.png", "combo box drop arrow"),
    ("arrow_up.png", "up-down control: up arrow"),
    ("arrow_down.png", "up-down control: down arrow"),
    ("arrow_left.png", "up-down control: left arrow"),
    ("arrow_right.png", "up-down control: right arrow"),
    ("click.wav", "button click sound"),
    ("window.wav", "window opening chime"),
]


def describe(path):
    name = os.path.basename(path)
    if name.endswith(".wav"):
        with open(path, "rb") as f:
            hdr = f.read(44)
        ch, rate = struct.unpack("<HI", hdr[22:28])
        data = struct.unpack("<I", hdr[40:44])[0]
        frames = data // (2 * ch)
        return "WAV PCM 16-bit, %s, %d Hz, %d frames (%.3f s)" % (
            "mono" if ch == 1 else "stereo", rate, frames, frames / rate)
    if name.endswith(".ico"):
        return "ICO, one 32×32 32-bpp image"
    with Image.open(path) as im:
        if im.format == "JPEG":
            return "JPEG baseline %d×%d RGB, quality 90" % im.size
        return "PNG %d×%d %s" % (im.size[0], im.size[1], im.mode)


def write_readme(out):
    lines = [
        "# Orvane resources",
        "",
        "Generated by `tools/make_resources.py` (deterministic; rerun to rebuild) and",
        "verified by `tools/check_resources.py`. Do not edit the files below by hand.",
        "",
        "| File | Bytes | Format | Use |",
        "|---|---:|---|---|",
    ]
    for name, use in FILES:
        p = os.path.join(out, name)
        lines.append("| `%s` | %d | %s | %s |" % (name, os.path.getsize(p), describe(p), use))
    lines += [
        "",
        "The background keeps its detail toward the upper right because the program",
        "fades its left and bottom 30% into the picture's average colour.",
        "",
    ]
    with open(os.path.join(out, "README.md"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else OUT_DIR
    os.makedirs(out, exist_ok=True)

    def p(name):
        return os.path.join(out, name)

    make_background(p("background.jpg"))
    write_ico(make_app_icon_image(), p("app.ico"))
    save_png(tool_icon("ressim", sym_waveform), p("tool_ressim.png"))
    save_png(tool_icon("pellat", sym_sliders), p("tool_pellat.png"))
    save_png(tool_icon("corvel", sym_headphones), p("tool_corvel.png"))
    save_png(tool_icon("tamblin", sym_speaker), p("tool_tamblin.png"))
    save_png(make_chat(), p("chat.png"))
    save_png(make_search(), p("search.png"))
    save_png(make_remote_search(), p("remote_search.png"))
    save_png(make_save(), p("save.png"))
    save_png(glyph_image(26, 18, g_min), p("title_min.png"))
    save_png(glyph_image(26, 18, g_max), p("title_max.png"))
    save_png(glyph_image(26, 18, g_restore), p("title_restore.png"))
    save_png(glyph_image(26, 18, g_help), p("title_help.png"))
    save_png(glyph_image(26, 18, g_menu), p("title_menu.png"))
    save_png(glyph_image(38, 18, g_close), p("title_close.png"))
    save_png(make_msgbox_close(), p("msgbox_close.png"))
    save_png(pixel_triangle(7, 4, "down"), p("combo_arrow.png"))
    save_png(pixel_triangle(7, 4, "up"), p("arrow_up.png"))
    save_png(pixel_triangle(7, 4, "down"), p("arrow_down.png"))
    save_png(pixel_triangle(4, 7, "left"), p("arrow_left.png"))
    save_png(pixel_triangle(4, 7, "right"), p("arrow_right.png"))
    sig, rate = make_click()
    write_wav(p("click.wav"), sig, rate, 1)
    sig, rate = make_chime()
    write_wav(p("window.wav"), sig, rate, 2)
    write_readme(out)


if __name__ == "__main__":
    main()
