"""End-to-end tests: the real Kelpix.exe under Wine, driven with real keyboard and mouse input."""
import math
import os
import re
import subprocess
import time
import unittest

from e2e_support import KelpixTestCase, find_window, probe, wait_for, wait_for_window, wine_path, xdotool


class Startup(KelpixTestCase):
    def test_main_window_shows_with_its_caption_and_taskbar_window(self):
        main = self.start_kelpix()
        print(f"start to main window: {self.start_seconds:.2f} s")
        self.assertEqual((main.left, main.top), (248, 127))
        self.assertEqual(probe("text", "TKelpix"), "Kelpix [ver 1.0]")
        app = find_window("TApplication", "Kelpix")
        self.assertIsNotNone(app)
        self.assertTrue(app.visible)

    def test_alt_f4_ends_the_program_with_code_0(self):
        self.start_kelpix()
        xdotool("key", "alt+F4")
        self.assertEqual(self.wait_exit(), 0)

    def test_exit_from_the_file_menu_ends_the_program_with_code_0(self):
        self.start_kelpix()
        xdotool("key", "alt+f")
        time.sleep(0.3)
        xdotool("key", "x")
        self.assertEqual(self.wait_exit(), 0)


class OwnAreaCapture(KelpixTestCase):
    COLOUR = 0x3366CC

    def test_f5_puts_the_pixels_under_the_main_window_on_the_clipboard(self):
        self.colour_window(150, 60, 500, 400, self.COLOUR)
        main = self.start_kelpix()
        xdotool("key", "F5")
        # The program hides, waits 200 ms, grabs and comes back.
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing reached the clipboard")
        w, h, formats, pixels = self.clipboard()
        self.assertEqual((w, h), main.size)
        expected = bytes([0x33, 0x66, 0xCC])
        wrong = sum(1 for i in range(0, len(pixels), 3) if pixels[i:i + 3] != expected)
        self.assertEqual(wrong, 0, "pixels other than the window below were captured")
        shown = find_window("TKelpix")
        self.assertTrue(shown.visible, "the main window came back")


def run(*command):
    return subprocess.run(command, capture_output=True, check=True, timeout=60)


def decoded_rgb(path):
    """The pixels ImageMagick reads from an image file, as RGB bytes from the top row down."""
    return run("convert", path, "-depth", "8", "rgb:-").stdout


def psnr(a, b):
    squared = sum((x - y) ** 2 for x, y in zip(a, b))
    return 99.0 if squared == 0 else 10 * math.log10(255 * 255 * len(a) / squared)


class ImageOutput(KelpixTestCase):
    DIALOG_TITLE = "キャプチャー画像保存"

    def save_through_dialog(self, entry_key, name):
        """Ctrl+S, then in the real dialog: pick the entry of the type list, type the name, press Enter."""
        # A click on the caption makes sure the keys go to the main window, whichever window the
        # system activated while it was hidden for the capture.
        main = wait_for_window("TKelpix")
        xdotool("mousemove", str((main.left + main.right) // 2), str(main.top + 10), "click", "1")
        time.sleep(0.3)
        xdotool("key", "ctrl+s")
        self.assertIsNotNone(wait_for_window("#32770", self.DIALOG_TITLE), "the save dialog did not open")
        time.sleep(0.3)
        # The name field has the focus and the type list comes next; Tab back selects the whole name.
        xdotool("key", "Tab", entry_key, "shift+Tab")
        xdotool("type", "--delay", "20", name)
        xdotool("key", "Return")
        self.assertTrue(wait_for(lambda: find_window("#32770", self.DIALOG_TITLE) is None), "the dialog stayed")

    def wait_for_file(self, path):
        self.assertTrue(wait_for(lambda: os.path.exists(path), timeout=10), f"{path} was not written")
        return path

    def test_saving_through_the_dialog_writes_files_other_programs_read(self):
        self.pattern_window(150, 60, 500, 400)
        self.start_kelpix()
        xdotool("key", "F5")
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing was captured")
        width, height, _, captured = self.clipboard()

        # The JPEG entry with "shot" typed writes shot.jpg.
        self.save_through_dialog("Down", wine_path(os.path.join(self.folder, "shot")))
        jpeg = self.wait_for_file(os.path.join(self.folder, "shot.jpg"))
        facts = run("identify", "-format", "%m %w %h %Q %[jpeg:sampling-factor] %[interlace] %U", jpeg)
        self.assertEqual(facts.stdout.decode().split(),
                         ["JPEG", str(width), str(height), "92", "2x2,1x1,1x1", "None", "Undefined"])
        # libjpeg's reader names the markers: a baseline frame (SOF0) and JFIF density 1 x 1, unit 0.
        markers = subprocess.run(["djpeg", "-verbose", "-verbose", "-outfile", os.devnull, jpeg],
                                 capture_output=True, timeout=60).stderr.decode()
        self.assertRegex(markers, r"JFIF APP0 marker: version 1\.01, density 1x1\s+0\n")
        self.assertEqual(re.findall(r"Start Of Frame 0x(..)", markers), ["c0"])
        # The decoded picture is close to the capture, and the file is the one libjpeg-turbo's cjpeg makes
        # with the same settings from the same pixels.
        quality = psnr(decoded_rgb(jpeg), captured)
        print(f"JPEG of the {width} x {height} capture: PSNR {quality:.1f} dB")
        self.assertGreater(quality, 24, "far from the capture: colours or rows swapped?")
        ppm = os.path.join(self.folder, "captured.ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (width, height) + captured)
        with open(jpeg, "rb") as f:
            self.assertEqual(f.read(), run("cjpeg", "-dct", "float", "-quality", "92", ppm).stdout)
        os.remove(ppm)

        # The bitmap entry with "shot2.png" typed writes shot2.bmp with exactly the captured pixels.
        self.save_through_dialog("Up", wine_path(os.path.join(self.folder, "shot2.png")))
        bmp = self.wait_for_file(os.path.join(self.folder, "shot2.bmp"))
        with open(bmp, "rb") as f:
            header = f.read(54)
        self.assertEqual(header[:2], b"BM")
        self.assertEqual(int.from_bytes(header[10:14], "little"), 54)
        self.assertEqual(int.from_bytes(header[28:30], "little"), 32)
        self.assertEqual(os.path.getsize(bmp), 54 + 4 * width * height)
        self.assertEqual(decoded_rgb(bmp), captured)
        self.assertFalse([n for n in os.listdir(self.folder) if n.lower().endswith(".tmp")], "temporary files left")
        self.assertTrue(find_window("TKelpix").visible)


if __name__ == "__main__":
    unittest.main()
