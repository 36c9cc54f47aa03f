"""End-to-end tests: the real Kelpix.exe under Wine, driven with real keyboard and mouse input."""
import math
import os
import re
import shutil
import subprocess
import time
import unittest

from e2e_support import (KelpixTestCase, find_window, probe, tray_shown, wait_for, wait_for_window, wine_path,
                         xdotool)


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


class TrayTestCase(KelpixTestCase):
    def assert_only_the_tray_icon_remains(self):
        self.assertTrue(wait_for(tray_shown, timeout=20), "no icon in the notification area")
        main = find_window("TKelpix")
        self.assertIsNotNone(main)
        self.assertFalse(main.visible, "the main window is still shown")
        self.assertFalse(find_window("TApplication", "Kelpix").visible, "the taskbar window is still shown")
        self.assertIsNone(self.proc.poll(), "the program ended")

    def end_session(self):
        """A logoff: never refused, it ends the program with code 0 and takes the icon along."""
        self.assertEqual(probe("end-session", "TKelpix"), "1", "the logoff was refused")
        self.assertEqual(self.wait_exit(), 0)
        self.assertTrue(wait_for(lambda: not tray_shown(), timeout=10), "the icon stayed behind")


class TrayStorage(TrayTestCase):
    def test_store_command_leaves_only_the_tray_icon_and_a_logoff_ends_the_program(self):
        self.start_kelpix()
        self.assertFalse(tray_shown())
        xdotool("key", "alt+t")
        time.sleep(0.3)
        xdotool("key", "Down", "Down", "Return")  # タスクトレイに格納
        self.assert_only_the_tray_icon_remains()
        self.end_session()

    def test_a_close_in_the_tray_ends_the_program_without_close_task(self):
        self.start_kelpix()
        xdotool("key", "alt+t")
        time.sleep(0.3)
        xdotool("key", "Down", "Down", "Return")
        self.assert_only_the_tray_icon_remains()
        probe("close", "TKelpix", check=True)
        self.assertEqual(self.wait_exit(), 0)
        self.assertTrue(wait_for(lambda: not tray_shown(), timeout=10), "the icon stayed behind")


class TraySettings(TrayTestCase):
    def test_kido_task_shows_the_main_window_then_leaves_only_the_tray_icon(self):
        self.write_settings(KidoTask=1)
        self.launch_kelpix()
        self.assert_only_the_tray_icon_remains()
        probe("close", "TKelpix", check=True)
        self.assertEqual(self.wait_exit(), 0)

    def test_close_task_turns_the_close_button_and_every_close_into_storing(self):
        self.write_settings(CloseTask=1)
        main = self.start_kelpix()
        xdotool("mousemove", str(main.right - 14), str(main.top + 13), "click", "1")  # the caption's close button
        self.assert_only_the_tray_icon_remains()
        # A close of the stored window stores again; only the logoff ends the program.
        probe("close", "TKelpix", check=True)
        time.sleep(0.5)
        self.assert_only_the_tray_icon_remains()
        self.end_session()

    def test_close_task_lets_alt_f4_store_and_exit_end_with_code_0(self):
        self.write_settings(CloseTask=1)
        self.start_kelpix()
        xdotool("key", "alt+F4")
        self.assert_only_the_tray_icon_remains()
        self.end_session()

        self.start_kelpix()
        xdotool("key", "alt+f")
        time.sleep(0.3)
        xdotool("key", "x")
        self.assertEqual(self.wait_exit(), 0)


class OptionsDialog(KelpixTestCase):
    # Two folder names whose last byte, 0x5C, is the second byte of a Shift-JIS character.
    FOLDER = "表ソ"

    def setUp(self):
        super().setUp()
        inner = os.path.join(self.folder, self.FOLDER)
        os.mkdir(inner)
        for name in os.listdir(self.folder):
            if name != self.FOLDER:
                shutil.move(os.path.join(self.folder, name), inner)
        self.exe = os.path.join(inner, os.path.basename(self.exe))
        self.ini = os.path.splitext(self.exe)[0] + ".ini"

    def open_options_from_the_tool_menu(self):
        # The first key may come before the new window has the keyboard: ask again until the menu is open.
        menu = None
        for _ in range(3):
            xdotool("key", "alt+t")
            menu = wait_for_window("#32768", timeout=3)
            if menu:
                break
        self.assertIsNotNone(menu, "the Tools menu did not open")
        xdotool("key", "Up", "Return")  # the last item: 環境オプション...
        dialog = wait_for_window("TOptionDlg")
        self.assertIsNotNone(dialog, "the options dialog did not appear")
        return dialog

    def read_ini(self):
        with open(self.ini, "rb") as f:
            lines = f.read().decode("cp932").splitlines()
        return lines[0], dict(line.split("=", 1) for line in lines[1:])

    def test_ticked_boxes_and_a_typed_delay_reach_the_file_beside_the_program(self):
        self.start_kelpix()
        dialog = self.open_options_from_the_tool_menu()
        # The focus starts on the first box; the keyboard ticks that one, Fukugen and the delay.
        xdotool("key", "space", "Tab", "Tab", "space", "Tab", "Tab", "space", "Tab")
        xdotool("type", "42")
        # The mouse ticks the cursor box (client area 269 x 206 at the bottom of the frame; the box at 16, 120).
        border = (dialog.size[0] - 269) // 2
        client_left, client_top = dialog.left + border, dialog.bottom - border - 206
        xdotool("mousemove", str(client_left + 16 + 60), str(client_top + 120 + 8), "click", "1")
        # The click left the focus on that box: three tabs to OK, and Enter presses it.
        xdotool("key", "Tab", "Tab", "Tab", "Return")
        self.assertTrue(wait_for(lambda: os.path.exists(self.ini)), "no settings file was written")
        section, values = self.read_ini()
        self.assertEqual(section, "[Option]")
        self.assertEqual(values, {"CloseTask": "1", "KidoTask": "0", "Fukugen": "1", "MouseCapture": "1",
                                  "TimeCapture": "1", "Time": "42", "SaveDir": ""})
        self.assertTrue(wait_for(lambda: not find_window("TOptionDlg").visible), "the dialog stayed")

    def test_escape_does_not_close_and_the_close_box_cancels_without_writing(self):
        self.start_kelpix()
        self.open_options_from_the_tool_menu()
        xdotool("key", "space", "Escape", "Return")
        # Had Escape or Enter closed the dialog, Alt+F4 would reach the main window and end the program.
        xdotool("key", "alt+F4")
        self.assertTrue(wait_for(lambda: not find_window("TOptionDlg").visible), "the dialog did not close")
        self.assertIsNone(self.proc.poll(), "the program ended")
        self.assertIsNotNone(wait_for_window("TKelpix"))
        self.assertFalse(os.path.exists(self.ini), "cancel wrote the settings file")
        xdotool("key", "alt+F4")
        self.assertEqual(self.wait_exit(), 0)
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
