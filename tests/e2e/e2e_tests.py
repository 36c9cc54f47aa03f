"""End-to-end tests: the real Kelpix.exe under Wine, driven with real keyboard and mouse input."""
import time
import unittest

from e2e_support import KelpixTestCase, find_window, probe, wait_for, xdotool


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


if __name__ == "__main__":
    unittest.main()
