#!/usr/bin/env python3
"""Rewrites a replay file for the replay scenario: `endsum FILE` changes the
recorded end checksum, `cut FILE N` keeps the first N bytes, `flip FILE I`
flips a bit of byte I, `version FILE TEXT` names another game version and
another set-up. endsum and version keep the file's check value right, as a
hand-made file would."""
import os
import sys

M = (1 << 64) - 1


def rotl(v, r):
    return ((v << r) | (v >> (64 - r))) & M


def hash64(data):
    k1, k2 = 0x9E3779B97F4A7C15, 0xC2B2AE3D27D4EB4F
    n = len(data)

    def mix(h, w):
        w = (w * k2) & M
        w = rotl(w, 31)
        w = (w * k1) & M
        h ^= w
        return (rotl(h, 27) * 5 + 0x52DCE729) & M

    lane = [k1 ^ ((n * k2) & M), k2 ^ n, (k1 + n) & M, (k2 - n) & M]
    i = 0
    while i + 32 <= n:
        for l in range(4):
            lane[l] = mix(lane[l], int.from_bytes(data[i + 8 * l:i + 8 * l + 8], "little"))
        i += 32
    h = lane[0]
    for l in range(1, 4):
        h = mix(h, lane[l])
    while i + 8 <= n:
        h = mix(h, int.from_bytes(data[i:i + 8], "little"))
        i += 8
    if i < n:
        h = mix(h, int.from_bytes(data[i:], "little"))
    for mult in (0xFF51AFD7ED558CCD, 0xC4CEB9FE1A85EC53):
        h ^= h >> 33
        h = (h * mult) & M
    return h ^ (h >> 33)


def main():
    what, path = sys.argv[1], sys.argv[2]
    data = bytearray(open(path, "rb").read())
    if what == "endsum":
        data[-16] ^= 1
        data[-8:] = hash64(bytes(data[:-8])).to_bytes(8, "little")
    elif what == "version":
        old = data[6]
        text = os.fsencode(sys.argv[3])
        data[6:7 + old] = bytes([len(text)]) + text
        # Past mode, level, settings, window, options, wins, scores,
        # generator and clock: the start checksum.
        data[7 + len(text) + 2 + 13 + 6 + 8 + 8 + 8 + 4] ^= 1
        data[-8:] = hash64(bytes(data[:-8])).to_bytes(8, "little")
    elif what == "cut":
        data = data[:int(sys.argv[3])]
    elif what == "flip":
        data[int(sys.argv[3])] ^= 0x10
    open(path, "wb").write(bytes(data))


main()
