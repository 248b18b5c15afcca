"""Pictures for the browser tests: reading and writing through ImageMagick,
and comparing a browser picture with the Linux build's picture of the same
view."""

import subprocess


class Picture:
    """Width, height and tightly packed 8-bit RGB rows, top row first."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError('picture data does not match %dx%d' % (width, height))
        self.width = width
        self.height = height
        self.rgb = rgb

    def mean_colour(self, x, y, width, height):
        """Mean (r, g, b) of a box, top-left origin."""
        sums = [0, 0, 0]
        for row in range(y, y + height):
            start = (row * self.width + x) * 3
            line = self.rgb[start:start + width * 3]
            for c in range(3):
                sums[c] += sum(line[c::3])
        count = width * height
        return tuple(s / count for s in sums)


def _parse_ppm(data):
    # P6 header: magic, width, height, maximum, each followed by whitespace.
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    if fields[0] != b'P6' or fields[3] != b'255':
        raise ValueError('not an 8-bit PPM picture')
    width, height = int(fields[1]), int(fields[2])
    return Picture(width, height, data[at + 1:at + 1 + width * height * 3])


def read_picture(source):
    """A Picture from a file path or from PNG bytes."""
    if isinstance(source, (bytes, bytearray)):
        out = subprocess.run(['convert', 'png:-', '-alpha', 'off', '-depth', '8', 'ppm:-'],
                             input=bytes(source), capture_output=True, check=True).stdout
    else:
        out = subprocess.run(['convert', str(source), '-alpha', 'off', '-depth', '8', 'ppm:-'],
                             capture_output=True, check=True).stdout
    return _parse_ppm(out)


def write_picture(picture, path):
    header = b'P6\n%d %d\n255\n' % (picture.width, picture.height)
    subprocess.run(['convert', 'ppm:-', str(path)], input=header + bytes(picture.rgb), check=True)


def scaled(picture, width, height):
    """The picture resized with ImageMagick's default filter."""
    header = b'P6\n%d %d\n255\n' % (picture.width, picture.height)
    out = subprocess.run(['convert', 'ppm:-', '-resize', '%dx%d!' % (width, height), 'ppm:-'],
                         input=header + bytes(picture.rgb), capture_output=True,
                         check=True).stdout
    return _parse_ppm(out)


class Difference:
    """How far two pictures of one size are apart, as fractions of full scale
    (255): the root mean square over every channel of every pixel, and the
    largest mean absolute difference over the 8 by 8 blocks of the picture,
    which shows a local fault that the overall figure hides."""

    BLOCK = 8

    def __init__(self, a, b):
        if (a.width, a.height) != (b.width, b.height):
            raise ValueError('pictures of %dx%d and %dx%d' % (a.width, a.height, b.width, b.height))
        self.width, self.height = a.width, a.height
        diffs = bytes(abs(p - q) for p, q in zip(a.rgb, b.rgb))
        self.diffs = diffs
        self.rms = (sum(d * d for d in diffs) / len(diffs)) ** 0.5 / 255.0
        self.largest_block, self.largest_block_at = self._largest_block()

    def _largest_block(self):
        size = self.BLOCK
        columns = self.width // size
        rows = self.height // size
        # Sum of absolute differences of each pixel's channels, per block.
        sums = [0] * (columns * rows)
        row_bytes = self.width * 3
        for y in range(rows * size):
            line = self.diffs[y * row_bytes:(y + 1) * row_bytes]
            base = (y // size) * columns
            for bx in range(columns):
                sums[base + bx] += sum(line[bx * size * 3:(bx + 1) * size * 3])
        best = max(range(len(sums)), key=sums.__getitem__)
        mean = sums[best] / (size * size * 3) / 255.0
        return mean, ((best % columns) * size, (best // columns) * size)

    def picture(self, gain=4):
        """The absolute difference, brightened by `gain`, for a person to see."""
        return Picture(self.width, self.height, bytes(min(255, d * gain) for d in self.diffs))

    def summary(self):
        x, y = self.largest_block_at
        return ('RMS %.2f%% of full scale, largest 8x8 mean difference %.2f%% at (%d, %d)'
                % (100 * self.rms, 100 * self.largest_block, x, y))
