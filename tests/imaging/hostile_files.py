#!/usr/bin/python3
"""Hostile and real-world image files, made at test time with cjpeg, djpeg, PIL and ImageMagick.

  hostile_files.py jpegs DIR
      Writes CMYK and YCCK JPEG files as print software writes them (<name>.jpg) and what djpeg
      makes of each (<name>.ppm), for the decoder's colour tests.

  hostile_files.py bombs PROGRAM [--limit-mb N] [--report]
      Writes decompression bombs (a few hundred bytes to a few kilobytes that declare images of
      gigabytes) into a temporary folder and runs PROGRAM --image-info / --save-bmp on each under
      an address-space limit (default 3072 MB). Each must be refused with a message, using at
      most 300 MB of memory at its peak. With --report the time and peak memory of each run are
      printed (they are not checked: the machine is shared)."""

import os
import resource
import shutil
import struct
import subprocess
import sys
import tempfile
import time

PEAK_LIMIT_MB = 300


def run(*args):
    subprocess.run(args, check=True)


def ppm(width, height, pixel):
    """A binary PPM of width x height, pixel(x, y) -> (r, g, b)."""
    data = bytearray(b'P6\n%d %d\n255\n' % (width, height))
    for y in range(height):
        for x in range(width):
            data += bytes(pixel(x, y))
    return bytes(data)


def cjpeg(folder, *options, gray=False):
    """A small JPEG of a colourful pattern, written by cjpeg with the given options."""
    source = os.path.join(folder, 'pattern.ppm')
    with open(source, 'wb') as f:
        f.write(ppm(48, 32, lambda x, y: (x * 5 % 256, y * 7 % 256, (x * y) % 256)))
    out = os.path.join(folder, 'pattern.jpg')
    run('cjpeg', *options, *(['-grayscale'] if gray else []), '-outfile', out, source)
    with open(out, 'rb') as f:
        return f.read()


def split_jpeg(data):
    """The marker segments other than scans (tables that came between scans included), and
    each scan as (SOS segment, data)."""
    head, scans, i = [], [], 2
    while i < len(data):
        marker = data[i + 1]
        if marker == 0xD9:
            break
        length = struct.unpack('>H', data[i + 2:i + 4])[0]
        segment = data[i:i + 2 + length]
        i += 2 + length
        if marker != 0xDA:
            head.append(segment)
            continue
        end = i
        while not (data[end] == 0xFF and data[end + 1] not in (0x00, *range(0xD0, 0xD8))):
            end += 1
        scans.append((segment, data[i:end]))
        i = end
    return head, scans


def with_size(head, width, height):
    """The head segments with the frame header declaring width x height."""
    out = []
    for segment in head:
        if segment[1] in (0xC0, 0xC1, 0xC2, 0xC9, 0xCA):
            segment = segment[:5] + struct.pack('>HH', height, width) + segment[9:]
        out.append(segment)
    return b''.join(out)


def jpeg_bomb(base, width, height, empty_scans=None):
    """A JPEG declaring width x height with the scans of a tiny image, or with that many scan
    headers of it and no data, ending with an end marker."""
    head, found = split_jpeg(base)
    body = found if empty_scans is None else [
        (found[i % len(found)][0], b'') for i in range(empty_scans)]
    return (b'\xff\xd8' + with_size(head, width, height) +
            b''.join(sos + data for sos, data in body) + b'\xff\xd9')


def rle_bomb(width, height):
    """An 8-bit run-length BMP declaring width x height whose data covers a few rows and then
    stops without an end-of-bitmap code: about a kilobyte."""
    table = b''.join(bytes((i, i, i, 0)) for i in range(256))
    data = b''.join(bytes((255, i % 256)) for i in range(40)) + b'\x00\x00'
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 1, len(data), 0, 0, 256, 0)
    offset = 14 + len(info) + len(table)
    return b'BM' + struct.pack('<IHHI', offset + len(data), 0, 0, offset) + info + table + data


def make_bombs(folder):
    """(file name, bytes, arguments after the program name, text the refusal must contain)."""
    baseline = cjpeg(folder)
    gray = cjpeg(folder, gray=True)
    progressive = cjpeg(folder, '-progressive')
    cut = jpeg_bomb(baseline, 20000, 20000)
    cut = cut[:cut.rindex(b'\xff\xda') + 120]  # no end marker either
    return [
        ('baseline_20000.jpg', jpeg_bomb(baseline, 20000, 20000), ['--image-info'],
         'premature end of data segment'),
        ('baseline_cut_20000.jpg', cut, ['--image-info'], 'Premature end of JPEG file'),
        # Beyond the memory the limit leaves: refused before anything is allocated.
        ('gray_65000.jpg', jpeg_bomb(gray, 65000, 65000), ['--image-info'],
         '65000 x 65000 pixels need 4030 MB'),
        ('progressive_499_scans.jpg', jpeg_bomb(progressive, 20000, 20000, empty_scans=499),
         ['--image-info'], 'premature end of data segment'),
        ('rle_46000.bmp', rle_bomb(46000, 46000), ['--save-bmp', '{in}', '{out}', '--rotate', '90'],
         'the run-length data ends before the image does'),
    ]


def refused(program, folder, name, content, args, expected, limit_mb, report):
    path = os.path.join(folder, name)
    with open(path, 'wb') as f:
        f.write(content)
    out = os.path.join(folder, 'out.bmp')
    argv = [program] + [a.format(**{'in': path, 'out': out}) for a in args]
    if '{in}' not in args:
        argv.append(path)

    def limit():
        size = limit_mb << 20
        resource.setrlimit(resource.RLIMIT_AS, (size, size))

    with tempfile.TemporaryFile('w+') as err:
        start = time.monotonic()
        child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=err, preexec_fn=limit)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.monotonic() - start
        child.returncode = code = os.waitstatus_to_exitcode(status)
        err.seek(0)
        message = err.read().strip()
    peak_mb = usage.ru_maxrss / 1024
    problems = []
    if code != 1:
        problems.append('exit code %d' % code)
    # A machine with less memory may refuse by the size rule before the data runs out.
    if 'ERROR:  Unable to load' not in message or (
            expected not in message and 'too large for this computer' not in message):
        problems.append('message %r' % message)
    if os.path.exists(out):
        problems.append('an output file was written')
    if peak_mb > PEAK_LIMIT_MB:
        problems.append('peak memory %.0f MB' % peak_mb)
    if report or problems:
        print('%-28s %6d bytes  %6.3f s  peak %6.1f MB  %s' %
              (name, len(content), seconds, peak_mb, message))
    for p in problems:
        print('FAIL %s: %s' % (name, p))
    return not problems


def bombs(program, limit_mb, report):
    folder = tempfile.mkdtemp(prefix='nv-bombs-')
    try:
        ok = True
        for name, content, args, expected in make_bombs(folder):
            ok = refused(program, folder, name, content, args, expected, limit_mb, report) and ok
        return 0 if ok else 1
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def jpegs(folder):
    from PIL import Image
    pattern = Image.new('CMYK', (37, 23))
    pattern.putdata([(x * 7 % 256, y * 11 % 256, (x * y * 3) % 256, (x + y) * 5 % 256)
                     for y in range(23) for x in range(37)])
    # PIL writes inverted CMYK with an Adobe marker, as print software does.
    pattern.save(os.path.join(folder, 'cmyk_adobe.jpg'), quality=95)
    pattern.save(os.path.join(folder, 'cmyk_progressive.jpg'), quality=95, progressive=True)
    # The same data without the Adobe marker.
    with open(os.path.join(folder, 'cmyk_adobe.jpg'), 'rb') as f:
        data = f.read()
    at = data.index(b'\xff\xee')
    plain = data[:at] + data[at + 2 + struct.unpack('>H', data[at + 2:at + 4])[0]:]
    with open(os.path.join(folder, 'cmyk_plain.jpg'), 'wb') as f:
        f.write(plain)
    # YCCK (an Adobe marker with transform 2), as ImageMagick writes it when asked.
    tiff = os.path.join(folder, 'pattern.tif')
    pattern.save(tiff)
    run('convert', tiff, '-define', 'jpeg:colorspace=5', '-quality', '95',
        os.path.join(folder, 'ycck.jpg'))
    for name in ('cmyk_adobe', 'cmyk_plain', 'cmyk_progressive', 'ycck'):
        run('djpeg', '-pnm', '-outfile', os.path.join(folder, name + '.ppm'),
            os.path.join(folder, name + '.jpg'))
    return 0


def main(argv):
    if len(argv) == 3 and argv[1] == 'jpegs':
        return jpegs(argv[2])
    if len(argv) >= 3 and argv[1] == 'bombs':
        limit = int(argv[argv.index('--limit-mb') + 1]) if '--limit-mb' in argv else 3072
        return bombs(argv[2], limit, '--report' in argv)
    print(__doc__)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
