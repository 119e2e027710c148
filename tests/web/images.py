"""Frames as (width, height, RGB bytes rows from the top): PPM reading, PNG
writing for looking at failures, and the per-pixel comparison."""
import struct
import zlib


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("%s: not an 8-bit binary PPM" % path)
    w, h = int(fields[1]), int(fields[2])
    return w, h, data[pos + 1:pos + 1 + w * h * 3]


def rgb_of_rgba(rgba):
    out = bytearray(len(rgba) // 4 * 3)
    out[0::3], out[1::3], out[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
    return bytes(out)


def crop(frame, x, y, w, h):
    fw, _, rgb = frame
    rows = [rgb[((y + r) * fw + x) * 3:((y + r) * fw + x + w) * 3] for r in range(h)]
    return w, h, b"".join(rows)


def write_png(path, frame):
    w, h, rgb = frame
    raw = b"".join(b"\0" + rgb[r * w * 3:(r + 1) * w * 3] for r in range(h))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def differing(a, b, tol=3):
    """Pixels of two equal-sized frames that differ by more than tol in some
    channel, and a frame marking them (red on a faded copy of a)."""
    aw, ah, ar = a
    bw, bh, br = b
    if (aw, ah) != (bw, bh):
        raise ValueError("frames of different sizes: %dx%d and %dx%d" % (aw, ah, bw, bh))
    marks = bytearray(len(ar))
    count = 0
    for i in range(0, len(ar), 3):
        if (abs(ar[i] - br[i]) > tol or abs(ar[i + 1] - br[i + 1]) > tol or
                abs(ar[i + 2] - br[i + 2]) > tol):
            count += 1
            marks[i:i + 3] = b"\xff\x00\x00"
        else:
            v = 191 + ar[i + 1] // 4
            marks[i:i + 3] = bytes((v, v, v))
    return count, (aw, ah, bytes(marks))


def read_png(data):
    """(width, height, RGB bytes rows from the top) of an 8-bit RGB or RGBA
    PNG that is not interlaced, such as the browser's screenshots."""
    pos, chunks = 8, {}
    while pos < len(data):
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks.setdefault(kind, []).append(data[pos + 8:pos + 8 + size])
        pos += 12 + size
    w, h, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"][0])
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("not an 8-bit RGB(A) PNG without interlacing")
    n = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(b"".join(chunks[b"IDAT"])), w * n
    out, prev = bytearray(), bytearray(stride)
    for r in range(h):
        kind, line = raw[r * (stride + 1)], bytearray(raw[r * (stride + 1) + 1:(r + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - n] if i >= n else 0
            b, c = prev[i], prev[i - n] if i >= n else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        out += line if n == 3 else rgb_of_rgba(bytes(line))
        prev = line
    return w, h, bytes(out)
