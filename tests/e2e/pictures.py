"""Pixels without third-party modules: window dumps (XWD), the program's BMP pictures, PNG out.

Colours are (r, g, b) tuples of 8-bit channels.  The program draws into a 16-bit screen,
so colours are compared after reducing both sides to the screen's 5-6-5 precision.
"""
import struct
import zlib


def _channel(value, mask):
    """The channel that mask selects in value, scaled to 0..255."""
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    top = mask >> shift
    return ((value >> shift) & top) * 255 // top


def _rows(data, starts, width, step, order, masks):
    """Pixels from rows of bytes starting at `starts`, `step` bytes a pixel, channels by mask."""
    return [[tuple(_channel(int.from_bytes(data[s + x:s + x + step], order), m) for m in masks)
             for x in range(0, width * step, step)] for s in starts]


def to_565(colour):
    r, g, b = colour
    return (r >> 3, g >> 2, b >> 3)


class Image:
    """A picture as rows of (r, g, b) tuples; `key` is a transparent colour, if any."""

    def __init__(self, width, height, rows, key=None):
        self.width = width
        self.height = height
        self.rows = rows
        self.key = key

    def pixel(self, x, y):
        return self.rows[y][x]

    def opaque(self, x, y):
        return self.key is None or to_565(self.rows[y][x]) != to_565(self.key)

    def png(self):
        """The picture as PNG bytes (8-bit RGB, no transparency)."""
        raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in self.rows)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def read_xwd(data):
    """A window dump as written by `xwd` (ZPixmap, TrueColor, 16 to 32 bits a pixel)."""
    fields = struct.unpack(">25I", data[:100])
    (header_size, _version, pixmap_format, _depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask,
     blue_mask, _bits_rgb, _entries, ncolors) = fields[:20]
    if pixmap_format != 2 or bits_per_pixel not in (16, 24, 32):
        raise ValueError("unsupported window dump: format %d, %d bits a pixel"
                         % (pixmap_format, bits_per_pixel))
    start = header_size + 12 * ncolors
    rows = _rows(data, range(start, start + height * bytes_per_line, bytes_per_line), width,
                 bits_per_pixel // 8, "little" if byte_order == 0 else "big",
                 (red_mask, green_mask, blue_mask))
    return Image(width, height, rows)


def read_bmp(path, key=None):
    """A Windows BMP of 16 (5-6-5 or 5-5-5), 24 or 32 bits a pixel, uncompressed or bit fields."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(path + " is not a BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    info_size, width, height, _planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    masks = (0x7C00, 0x03E0, 0x001F) if bits == 16 else (0xFF0000, 0x00FF00, 0x0000FF)
    if compression == 3:  # bit fields: after the header, or inside a V4/V5 header
        masks = struct.unpack_from("<III", data, 14 + 40)
    elif compression != 0:
        raise ValueError("%s: compression %d not read" % (path, compression))
    step = bits // 8
    stride = (width * step + 3) & ~3
    bottom_up = height > 0
    height = abs(height)
    starts = [offset + (height - 1 - y if bottom_up else y) * stride for y in range(height)]
    rows = _rows(data, starts, width, step, "little", masks)
    return Image(width, height, rows, key)


def same(a, b):
    """Whether two colours show the same on the 16-bit screen."""
    return to_565(a) == to_565(b)


def likeness(shot, picture, at, source=None, ignore=None):
    """Share of the picture's opaque pixels that the shot shows unchanged where it was drawn.

    `at` is the screen position of the picture's source rectangle `source` (x, y, w, h;
    the whole picture by default); pixels of the colour `ignore` (the screen's white, say)
    are not counted.  Text drawn over a picture lowers the share a little; a different
    picture lowers it a lot.
    """
    sx, sy, w, h = source or (0, 0, picture.width, picture.height)
    hits = [same(c, shot.pixel(at[0] + i, at[1] + j))
            for j in range(h) for i in range(w) if picture.opaque(sx + i, sy + j)
            for c in [picture.pixel(sx + i, sy + j)] if ignore is None or not same(c, ignore)]
    return sum(hits) / len(hits) if hits else 0.0


def which(shot, first, second, at, source_first, source_second):
    """Shares of matching pixels of two pictures (same size) drawn at `at`, counted only
    where both are opaque and differ, so that what they share cannot decide."""
    x1, y1, w, h = source_first
    x2, y2, _, _ = source_second
    seen = [(a, b, shot.pixel(at[0] + i, at[1] + j)) for j in range(h) for i in range(w)
            if first.opaque(x1 + i, y1 + j) and second.opaque(x2 + i, y2 + j)
            for a, b in [(first.pixel(x1 + i, y1 + j), second.pixel(x2 + i, y2 + j))]
            if not same(a, b)]
    if not seen:
        return (0.0, 0.0)
    return (sum(same(a, p) for a, _, p in seen) / len(seen),
            sum(same(b, p) for _, b, p in seen) / len(seen))


def ink(shot, rect, near=(0, 0, 0), tolerance=96):
    """Number of pixels in rect (x, y, w, h) close to the colour `near` (text is black or blue)."""
    x0, y0, w, h = rect
    return sum(max(abs(a - b) for a, b in zip(shot.pixel(x, y), near)) <= tolerance
               for y in range(y0, y0 + h) for x in range(x0, x0 + w))
