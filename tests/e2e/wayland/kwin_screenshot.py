# What one of KWin's outputs shows, at its own resolution, as a PPM image on stdout: KWin's screenshot D-Bus interface
# (org.kde.KWin.ScreenShot2, which KWin serves without asking the user when it runs with
# KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1) writes the raw image into a pipe. Needs Debian's python3-dbus
# (run it with /usr/bin/python3).
#   kwin_screenshot.py OUTPUT >FILE
import os
import sys
import threading

import dbus

shooter = dbus.Interface(dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                         "org.kde.KWin.ScreenShot2")
reader, writer = os.pipe()
data = []
# KWin writes the image while the call is answered: it is read meanwhile, or a full pipe would stall it.
thread = threading.Thread(target=lambda: data.append(os.fdopen(reader, "rb").read()))
thread.start()
pipe = dbus.types.UnixFd(writer)
os.close(writer)
try:
    options = dbus.Dictionary({"native-resolution": True}, signature="sv")
    result = shooter.CaptureScreen(sys.argv[1], options, pipe, timeout=20)
finally:
    del pipe  # its own copy of the descriptor: closed, the reader sees the end
    thread.join()
width, height, stride = int(result["width"]), int(result["height"]), int(result["stride"])
# QImage's ARGB32 and RGB32 (formats 4, 5, 6): 32-bit pixels 0xAARRGGBB, so B, G, R, A in memory here.
if int(result["format"]) not in (4, 5, 6) or len(data[0]) < stride * height:
    sys.exit(f"kwin_screenshot: an image of format {int(result['format'])} and {len(data[0])} bytes")
pixels = b"".join(data[0][y * stride:y * stride + width * 4] for y in range(height))
rgb = bytearray(width * height * 3)
rgb[0::3], rgb[1::3], rgb[2::3] = pixels[2::4], pixels[1::4], pixels[0::4]
sys.stdout.buffer.write(b"P6\n%d %d\n255\n" % (width, height) + rgb)
