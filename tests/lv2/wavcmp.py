#!/usr/bin/env python3
"""Compares the samples of two WAV files (32-bit float or 16/24/32-bit PCM), reading them as stored.

  wavcmp.py A B [--skip SECONDS] [--tolerance T] [--shift-max N]
  wavcmp.py A B --levels [--skip SECONDS] [--tolerance T]

Prints the largest difference over the frames from --skip on, after the best shift of B against A
within +-N frames (0 by default), and exits 0 when it is at most T (default 0: equal), 1 when not,
2 when a file cannot be read or the channel counts differ. With --levels it compares the RMS
level of each channel in 0.2-second windows instead, as a ratio: the largest |level(B) / level(A)
- 1| must be at most T."""
import argparse
import math
import struct
import sys


def read_wav(path):
    """(channels, rate, interleaved samples as floats) of a WAV file."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:4] != b'RIFF' or data[8:12] != b'WAVE':
        raise ValueError(path + ': not a WAV file')
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if cid == b'fmt ':
            tag, channels, rate = struct.unpack('<HHI', body[:8])
            bits = struct.unpack('<H', body[14:16])[0]
            if tag == 0xFFFE:
                tag = struct.unpack('<H', body[24:26])[0]
            fmt = (tag, channels, rate, bits)
        elif cid == b'data':
            samples = body
        pos += 8 + size + (size & 1)
    if not fmt or samples is None:
        raise ValueError(path + ': no format or data')
    tag, channels, rate, bits = fmt
    if tag == 3 and bits == 32:
        values = struct.unpack('<%df' % (len(samples) // 4), samples[:len(samples) // 4 * 4])
    elif tag == 1 and bits in (16, 32):
        code = 'h' if bits == 16 else 'i'
        n = len(samples) // (bits // 8)
        values = [v / float(1 << (bits - 1)) for v in struct.unpack('<%d%s' % (n, code), samples[:n * bits // 8])]
    elif tag == 1 and bits == 24:
        values = [int.from_bytes(samples[i:i + 3], 'little', signed=True) / float(1 << 23)
                  for i in range(0, len(samples) - 2, 3)]
    else:
        raise ValueError('%s: format %d with %d bits' % (path, tag, bits))
    return channels, rate, values


def compare_levels(a, b, channels, start, end, window, tolerance):
    """Compares windowed RMS levels of a and b from frame start to end."""
    worst = 0.0
    for w in range(start, end - window + 1, window):
        for c in range(channels):
            la = math.sqrt(sum(a[i * channels + c] ** 2 for i in range(w, w + window)) / window)
            lb = math.sqrt(sum(b[i * channels + c] ** 2 for i in range(w, w + window)) / window)
            if la == 0.0 and lb == 0.0:
                continue
            worst = max(worst, abs(lb / la - 1.0) if la else float('inf'))
    print('largest level ratio difference %.6g' % worst)
    return 0 if worst <= tolerance else 1


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('a')
    ap.add_argument('b')
    ap.add_argument('--skip', type=float, default=0.0)
    ap.add_argument('--tolerance', type=float, default=0.0)
    ap.add_argument('--shift-max', type=int, default=0)
    ap.add_argument('--levels', action='store_true')
    args = ap.parse_args()
    try:
        ca, ra, a = read_wav(args.a)
        cb, _, b = read_wav(args.b)
    except (OSError, ValueError, struct.error) as e:
        print(e, file=sys.stderr)
        return 2
    if ca != cb:
        print('channel counts differ: %d and %d' % (ca, cb), file=sys.stderr)
        return 2
    na, nb = len(a) // ca, len(b) // cb
    start = int(args.skip * ra)
    if args.levels:
        return compare_levels(a, b, ca, start, min(na, nb), int(0.2 * ra), args.tolerance)
    best = None
    for shift in range(-args.shift_max, args.shift_max + 1):
        lo, hi = max(start, -shift), min(na, nb - shift)
        if hi <= lo:
            continue
        worst = max(abs(a[i * ca + c] - b[(i + shift) * ca + c]) for i in range(lo, hi) for c in range(ca))
        if best is None or worst < best[0]:
            best = (worst, shift, hi - lo)
    if best is None or (args.shift_max == 0 and na != nb):
        print('lengths differ: %d and %d frames' % (na, nb), file=sys.stderr)
        return 1
    print('largest difference %.9g at shift %d over %d frames' % best)
    return 0 if best[0] <= args.tolerance else 1


if __name__ == '__main__':
    sys.exit(main())
