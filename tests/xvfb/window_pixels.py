#!/usr/bin/env python3
"""Moves an X window to the corner, resizes it, and reports which columns of it hold neutral
grey, straight from the X server (libX11 through ctypes, no extra tools).

usage: window_pixels.py WINDOW-ID resize W H
       window_pixels.py WINDOW-ID columns   -> "W H first-grey last-grey"
       window_pixels.py WINDOW-ID white     -> "1" when a pixel is pure white, else "0"
"""
import ctypes
import ctypes.util
import sys

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XMoveResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]


class Attributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("rest", ctypes.c_byte * 256)]


x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(Attributes)]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("no display")
window = int(sys.argv[1], 0)
if sys.argv[2] == "resize":
    # To the corner as well, so the whole window stays on the screen.
    x11.XMoveResizeWindow(display, window, 0, 0, int(sys.argv[3]), int(sys.argv[4]))
    x11.XSync(display, 0)
else:
    attrs = Attributes()
    x11.XGetWindowAttributes(display, window, ctypes.byref(attrs))
    w, h = attrs.width, attrs.height
    image = x11.XGetImage(display, window, 0, 0, w, h, 0xFFFFFFFF, 2)  # ZPixmap
    if not image:
        sys.exit("could not read the window")
    def grey(x, y):
        p = x11.XGetPixel(image, x, y) & 0xFFFFFF
        r, g, b = p >> 16, (p >> 8) & 0xFF, p & 0xFF
        return p != 0 and r == g == b

    if sys.argv[2] == "white":
        # The logo's credit line is white; no menu text ever is.
        print(int(any(x11.XGetPixel(image, x, y) & 0xFFFFFF == 0xFFFFFF
                      for y in range(0, h, 2) for x in range(w))))
    else:
        # Only neutral grey counts: the game's grey menu items stay put, while
        # its coloured texts drift through the colours, now and then near black.
        lit = [x for x in range(w) if any(grey(x, y) for y in range(0, h, 2))]
        print(w, h, lit[0] if lit else -1, lit[-1] if lit else -1)
x11.XCloseDisplay(display)
