"""End-to-end tests: the real Kelpix.exe under Wine, driven with real keyboard and mouse input."""
import glob
import html.parser
import math
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import time
import unittest

from e2e_support import (EXE, DropTarget, KelpixTestCase, count_windows, find_child, find_window, focused_window_name, probe,
                         screen, tray_shown, unix_path, wait_for, wait_for_window, wine_command, wine_path, xdotool)


def rgb_bytes(rgb):
    return bytes([(rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF])


def frame_strips(left, top, right, bottom, screen=(0, 0, 1024, 768)):
    """The four sides of the highlight frame round a window rectangle, as (left, top, right, bottom):
    3 pixels just outside the window, just inside where the screen ends."""
    sl, st, sr, sb = screen
    outer_left = left - 3 if left - 3 >= sl else max(left, sl)
    outer_top = top - 3 if top - 3 >= st else max(top, st)
    outer_right = right + 3 if right + 3 <= sr else min(right, sr)
    outer_bottom = bottom + 3 if bottom + 3 <= sb else min(bottom, sb)
    inner_top, inner_bottom = outer_top + 3, outer_bottom - 3
    return [(outer_left, outer_top, outer_right, inner_top), (outer_left, inner_bottom, outer_right, outer_bottom),
            (outer_left, inner_top, outer_left + 3, inner_bottom), (outer_right - 3, inner_top, outer_right, inner_bottom)]


def frame_mismatches(window, inside, outside):
    """Pixels round and in a window that do not show the frame on its sides, the window's colour
    inside and the backdrop outside, within 6 pixels of the window's edge."""
    left, top, right, bottom = window
    area = (left - 6, top - 6, right + 6, bottom + 6)
    w, h, pixels = screen(*area)
    strips = frame_strips(*window)
    wrong = []
    for y in range(area[1], area[3]):
        for x in range(area[0], area[2]):
            if left + 6 <= x < right - 6 and top + 6 <= y < bottom - 6:
                continue
            if any(l <= x < r and t <= y < b for l, t, r, b in strips):
                expected = b"\0\0\0"
            elif left <= x < right and top <= y < bottom:
                expected = rgb_bytes(inside)
            else:
                expected = rgb_bytes(outside)
            i = ((y - area[1]) * w + (x - area[0])) * 3
            if pixels[i:i + 3] != expected:
                wrong.append((x, y))
    return wrong


class Startup(KelpixTestCase):
    def test_main_window_shows_with_its_caption_and_taskbar_window(self):
        main = self.start_kelpix()
        print(f"start to main window: {self.start_seconds:.2f} s")
        self.assertEqual((main.left, main.top), (248, 127))
        self.assertEqual(probe("text", "TKelpix"), "Kelpix [ver 1.0]")
        app = find_window("TApplication", "Kelpix")
        self.assertIsNotNone(app)
        self.assertTrue(app.visible)

    def test_the_taskbar_title_is_the_program_file_name_even_when_it_ends_in_a_5c_trail_byte(self):
        # "表" is 0x95 0x5C in Shift-JIS: its second byte must not be taken for a folder separator.
        renamed = os.path.join(self.folder, "表.exe")
        os.rename(self.exe, renamed)
        self.exe = renamed
        self.start_kelpix()
        self.assertIsNotNone(find_window("TApplication", "表"))

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


class MarkupEditor(KelpixTestCase):
    COLOUR = 0x3366CC

    def test_ctrl_e_redact_by_dragging_and_enter_puts_the_marked_image_on_the_clipboard(self):
        self.colour_window(150, 60, 500, 400, self.COLOUR)
        main = self.start_kelpix()
        xdotool("key", "F5")
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing was captured")
        probe("activate", "TKelpix")
        time.sleep(0.3)
        xdotool("key", "ctrl+e")
        canvas = wait_for(lambda: find_child("TMarkupEditor", "TScrollBox", "TMarkupCanvas"), timeout=10)
        self.assertIsNotNone(canvas, "Ctrl+E opened no editor")
        self.assertEqual(canvas.size, main.size, "the image is not shown at 100 %")
        xdotool("key", "x")
        xdotool("mousemove", str(canvas.left + 10), str(canvas.top + 10), "mousedown", "1")
        self.addCleanup(xdotool, "mouseup", "1")
        for x, y in ((30, 20), (61, 41)):
            time.sleep(0.1)
            xdotool("mousemove", str(canvas.left + x), str(canvas.top + y))
        xdotool("mouseup", "1")
        time.sleep(0.3)
        xdotool("key", "Return")
        self.assertTrue(wait_for(lambda: find_window("TMarkupEditor") is None or not find_window("TMarkupEditor").visible),
                        "Enter did not close the editor")
        w, h, formats, pixels = self.clipboard()
        self.assertEqual((w, h), main.size)
        pixel = lambda x, y: pixels[(y * w + x) * 3:(y * w + x) * 3 + 3]
        self.assertEqual(pixel(10, 10), b"\0\0\0")
        self.assertEqual(pixel(61, 41), b"\0\0\0")
        self.assertEqual(pixel(62, 42), rgb_bytes(self.COLOUR))
        self.assertEqual(sum(1 for i in range(0, len(pixels), 3) if pixels[i:i + 3] == b"\0\0\0"), 52 * 32)


class DragOut(KelpixTestCase):
    """The image dragged out with the real mouse onto a drop target of another process."""
    COLOUR = 0x3366CC
    TARGET = (620, 560, 300, 150)

    def drop_target(self):
        out = os.path.join(self.folder, "drop")
        target = DropTarget(*self.TARGET, out)
        self.cleanups.append(target.close)
        return target, out

    def drag_to_target(self, x, y):
        """Presses at (x, y), moves past the drag distance and on to the drop target in steps, lets go."""
        xdotool("mousemove", str(x), str(y), "mousedown", "1")
        self.addCleanup(xdotool, "mouseup", "1")
        left, top, width, height = self.TARGET
        for at in ((x + 8, y + 8), (x + 60, y + 60), (left + width // 2, top + height // 2),
                   (left + width // 2 + 3, top + height // 2 + 3)):
            time.sleep(0.2)
            xdotool("mousemove", str(at[0]), str(at[1]))
        time.sleep(0.3)
        xdotool("mouseup", "1")

    def assert_dropped_the_image(self, drop, out, size):
        self.assertIsNotNone(drop, "nothing was dropped")
        files, png_bytes, dib_size, path = drop
        self.assertEqual((files, dib_size), (1, size))
        self.assertGreater(png_bytes, 0)
        with open(out + ".file", "rb") as f, open(out + ".png", "rb") as g:
            self.assertEqual(f.read(), g.read(), "the PNG is not the file's")
        self.assertEqual(decoded_rgb(out + ".png"), rgb_bytes(self.COLOUR) * (size[0] * size[1]))
        self.assertTrue(re.fullmatch(r"C:\\.*\\Kelpix\\Kelpix_[0-9_-]+\.png", path), path)
        os.remove(unix_path(path))

    def test_the_image_and_the_editors_frame_drag_the_file_and_png_to_another_program(self):
        self.colour_window(150, 60, 500, 400, self.COLOUR)
        main = self.start_kelpix()
        xdotool("key", "F5")
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing was captured")
        target, out = self.drop_target()
        box = find_child("TKelpix", "TScrollBox")
        self.drag_to_target(box.left + 20, box.top + 20)
        self.assert_dropped_the_image(target.next_drop(), out, main.size)

        # From the editor: the frame round the picture, right of it.
        probe("activate", "TKelpix")
        time.sleep(0.3)
        xdotool("key", "ctrl+e")
        canvas = wait_for(lambda: find_child("TMarkupEditor", "TScrollBox", "TMarkupCanvas"), timeout=10)
        self.assertIsNotNone(canvas, "Ctrl+E opened no editor")
        self.drag_to_target(canvas.right + 20, canvas.top + 20)
        self.assert_dropped_the_image(target.next_drop(), out, main.size)


class OtherCodePage(KelpixTestCase):
    """Under a locale whose code page is not 932 the texts may read differently, but the program runs."""
    COLOUR = 0x40A060

    def test_program_starts_captures_and_ends_under_a_western_locale(self):
        self.colour_window(150, 60, 500, 400, self.COLOUR)
        main = self.start_kelpix(locale="C.UTF-8")
        self.assertEqual(probe("text", "TKelpix"), "Kelpix [ver 1.0]")
        xdotool("key", "F5")
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing reached the clipboard")
        w, h, formats, pixels = self.clipboard()
        self.assertEqual((w, h), main.size)
        self.assertEqual(pixels, bytes([0x40, 0xA0, 0x60]) * (w * h))
        probe("close", "TKelpix", check=True)
        self.assertEqual(self.wait_exit(), 0)


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


class TrayIcon(TrayTestCase):
    """Real clicks on the icon in Wine's stand-in notification area."""
    GREY, ORANGE = 0x808080, 0xF09010
    TARGET = (600, 400, 800, 550)
    ICON = (12, 32)  # the first icon, inside the notification area's window

    def setUp(self):
        super().setUp()
        # Wine windows wherever the pointer goes: under plain Xvfb the hook sees the pointer only over them.
        self.colour_window(0, 0, 1024, 768, self.GREY)
        left, top, right, bottom = self.TARGET
        self.colour_window(left, top, right - left, bottom - top, self.ORANGE)

    def start_in_tray(self, **settings):
        self.write_settings(KidoTask=1, **settings)
        self.launch_kelpix()
        self.assert_only_the_tray_icon_remains()
        self.tray = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Wine System Tray$"],
                                   capture_output=True, timeout=30, check=True).stdout.split()[0].decode()
        time.sleep(0.5)

    def on_icon(self, *actions, dx=0):
        xdotool("mousemove", "--window", self.tray, str(self.ICON[0] + dx), str(self.ICON[1]), *actions)

    def drag_from_icon_to_target(self):
        # A movement within 600 ms of the press starts the drag: both in one xdotool run, so that a
        # busy machine cannot put the time of a second process start between them.
        self.on_icon("mousedown", "1", "mousemove_relative", "--", "2", "0")
        self.addCleanup(xdotool, "mouseup", "1")  # also when a check below fails
        left, top, right, bottom = self.TARGET
        # The pointer comes to rest on the target twice, so that one move the hook misses on a busy
        # machine does not leave the drag without its frame.
        middle = ((left + right) // 2, (top + bottom) // 2)
        for x, y in ((300, 200), (500, 350), middle, (middle[0] + 1, middle[1] + 1)):
            xdotool("mousemove", str(x), str(y))
            time.sleep(0.1)

    def test_double_click_restores_the_main_window(self):
        self.start_in_tray()
        self.on_icon("click", "--repeat", "2", "--delay", "80", "1")
        self.assertIsNotNone(wait_for_window("TKelpix", timeout=5), "the main window did not come back")
        self.assertTrue(find_window("TApplication", "Kelpix").visible)
        self.assertTrue(wait_for(lambda: not tray_shown(), timeout=5), "the icon stayed")

    def test_right_click_opens_the_menu_whose_exit_item_ends_the_program(self):
        self.start_in_tray()
        self.on_icon("click", "3")
        menu = wait_for_window("#32768", timeout=5)
        self.assertIsNotNone(menu, "no menu")
        self.assertEqual((menu.left, menu.top), self.ICON, "the menu is not at the pointer")
        self.assertIsNone(self.proc.poll())
        # 終了(&X) is the last item.
        xdotool("mousemove", str(menu.left + 30), str(menu.bottom - 10), "click", "1")
        self.assertEqual(self.wait_exit(), 0)
        self.assertTrue(wait_for(lambda: not tray_shown(), timeout=10), "the icon stayed behind")

    def test_drag_from_the_icon_frames_the_window_under_the_pointer_and_captures_it(self):
        self.start_in_tray()
        left, top, right, bottom = self.TARGET
        around = (left - 4, top - 4, right + 4, bottom + 4)
        before = screen(*around)
        self.drag_from_icon_to_target()
        self.assertTrue(wait_for(lambda: not frame_mismatches(self.TARGET, self.ORANGE, self.GREY), timeout=5),
                        f"no exact frame round the target: {frame_mismatches(self.TARGET, self.ORANGE, self.GREY)[:5]}")
        xdotool("mouseup", "1")
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing reached the clipboard")
        w, h, formats, pixels = self.clipboard()
        self.assertEqual((w, h), (self.TARGET[2] - self.TARGET[0], self.TARGET[3] - self.TARGET[1]))
        self.assertEqual(pixels, rgb_bytes(self.ORANGE) * (w * h), "the image is not the target's pixels alone")
        self.assertTrue(wait_for(lambda: screen(*around) == before, timeout=5), "a frame was left round the target")
        self.assert_only_the_tray_icon_remains()

    def test_a_left_press_during_the_countdown_cancels_it(self):
        self.start_in_tray(Fukugen=1, TimeCapture=1, Time=3)
        self.drag_from_icon_to_target()
        self.assertTrue(wait_for(lambda: not frame_mismatches(self.TARGET, self.ORANGE, self.GREY), timeout=5),
                        "no drag")
        xdotool("mouseup", "1")
        time.sleep(0.5)
        self.assertEqual(self.clipboard()[:2], (0, 0), "the capture came at once, without a countdown")
        self.on_icon("click", "1")
        # Uncancelled, the capture would come 3 seconds after the release.
        time.sleep(4)
        self.assertEqual(self.clipboard()[:2], (0, 0), "the capture still came")
        self.assert_only_the_tray_icon_remains()


class GlobalKeys(TrayTestCase):
    """The global shortcut keys, pressed as a user does while Kelpix is stored in the notification area."""
    GREY, ORANGE, TEAL = 0x808080, 0xF09010, 0x2080C0
    TARGET = (600, 400, 800, 550)
    OTHER = (100, 420, 340, 600)

    def setUp(self):
        super().setUp()
        # Under plain Xvfb the keys reach Wine only while the pointer is over a Wine window.
        self.colour_window(0, 0, 1024, 768, self.GREY)
        for (left, top, right, bottom), rgb in ((self.TARGET, self.ORANGE), (self.OTHER, self.TEAL)):
            self.colour_window(left, top, right - left, bottom - top, rgb)
        self.write_settings(KidoTask=1)
        self.launch_kelpix()
        self.assert_only_the_tray_icon_remains()

    def assert_captured(self, window, rgb):
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing reached the clipboard")
        w, h, formats, pixels = self.clipboard()
        self.assertEqual((w, h), (window[2] - window[0], window[3] - window[1]))
        self.assertEqual(pixels, rgb_bytes(rgb) * (w * h), "the image is not the window's pixels alone")
        self.assert_only_the_tray_icon_remains()

    def test_the_keys_capture_the_window_under_the_pointer_and_the_active_window(self):
        left, top, right, bottom = self.TARGET
        xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2))
        xdotool("key", "ctrl+alt+k")
        self.assert_captured(self.TARGET, self.ORANGE)

        # A click makes the other window the active one; the pointer then goes back over the first.
        probe("clear-clipboard", check=True)
        xdotool("mousemove", str(self.OTHER[0] + 40), str(self.OTHER[1] + 40), "click", "1")
        xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2))
        time.sleep(0.5)  # past the cooldown after the first capture
        xdotool("key", "ctrl+alt+j")
        self.assert_captured(self.OTHER, self.TEAL)


class OptionsDialog(KelpixTestCase):
    @staticmethod
    def dialog_gone():
        dialog = find_window("TOptionDlg")
        return dialog is None or not dialog.visible

    # A folder named with characters that no ANSI code page holds together.
    FOLDER = "表ソ 한국어 😀"

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
        """The section line and the keys; ("", {}) while the file is still empty."""
        with open(self.ini, "rb") as f:
            lines = f.read().decode("cp932").splitlines()
        return (lines[0], dict(line.split("=", 1) for line in lines[1:] if "=" in line)) if lines else ("", {})

    def test_ticked_boxes_and_a_typed_delay_reach_the_file_beside_the_program(self):
        self.start_kelpix()
        dialog = self.open_options_from_the_tool_menu()
        # The focus starts on the first box; the keyboard ticks that one, Fukugen and the delay.
        xdotool("key", "space", "Tab", "Tab", "space", "Tab", "Tab", "space", "Tab")
        xdotool("type", "42")
        # The mouse ticks the cursor box (client area 525 x 312 at the bottom of the frame; the box at 16, 120).
        border = (dialog.size[0] - 525) // 2
        client_left, client_top = dialog.left + border, dialog.bottom - border - 312
        xdotool("mousemove", str(client_left + 16 + 60), str(client_top + 120 + 8), "click", "1")
        # The click left the focus on that box: twelve tabs (past the language, the covered parts' box, the
        # automatic save's box, whose fields are disabled, the two shortcut keys, the editor's box, the copy
        # as a file's box, the shape's box and the start with Windows) to OK, and Enter presses it.
        xdotool("key", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Return")
        # The keys are written one by one: wait for the last of them.
        self.assertTrue(wait_for(lambda: os.path.exists(self.ini) and "ShapeMask" in self.read_ini()[1]),
                        "no settings file was written")
        section, values = self.read_ini()
        self.assertEqual(section, "[Option]")
        self.assertEqual(values, {"CloseTask": "1", "KidoTask": "0", "Fukugen": "1", "MouseCapture": "1",
                                  "TimeCapture": "1", "Time": "42", "SaveDir": "", "Language": "0", "PrintWindow": "0",
                                  "AutoSave": "0",
                                  "AutoSaveDir": "", "AutoSaveFormat": "3", "AutoSaveName": "Kelpix_<date>_<time>",
                                  "PointerWindowKey": "0x064B", "ActiveWindowKey": "0x064A", "EditAfterCapture": "0",
                                  "CopyAsFile": "0", "ShapeMask": "1"})
        self.assertTrue(wait_for(self.dialog_gone), "the dialog stayed")

    def test_escape_does_not_close_and_the_close_box_cancels_without_writing(self):
        self.start_kelpix()
        self.open_options_from_the_tool_menu()
        xdotool("key", "space", "Escape", "Return")
        # Had Escape or Enter closed the dialog, Alt+F4 would reach the main window and end the program.
        xdotool("key", "alt+F4")
        self.assertTrue(wait_for(self.dialog_gone), "the dialog did not close")
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

    def save_through_dialog(self, entry_keys, name):
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
        xdotool("key", "Tab", *entry_keys.split(), "shift+Tab")
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
                         ["JPEG", str(width), str(height), "92", "2x2,1x1,1x1", "None", "PixelsPerInch"])
        # libjpeg's reader names the markers: a baseline frame (SOF0) and JFIF density 96 x 96 dots per inch,
        # the screen's.
        markers = subprocess.run(["djpeg", "-verbose", "-verbose", "-outfile", os.devnull, jpeg],
                                 capture_output=True, timeout=60).stderr.decode()
        self.assertRegex(markers, r"JFIF APP0 marker: version 1\.01, density 96x96\s+1\n")
        self.assertEqual(re.findall(r"Start Of Frame 0x(..)", markers), ["c0"])
        # The decoded picture is close to the capture, and the file is the one libjpeg-turbo's cjpeg makes
        quality = psnr(decoded_rgb(jpeg), captured)
        print(f"JPEG of the {width} x {height} capture: PSNR {quality:.1f} dB")
        self.assertGreater(quality, 24, "far from the capture: colours or rows swapped?")
        ppm = os.path.join(self.folder, "captured.ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (width, height) + captured)
        # with the same settings from the same pixels (cjpeg has no switch for the density: it is set here).
        reference = bytearray(run("cjpeg", "-dct", "float", "-quality", "92", ppm).stdout)
        reference[13:18] = bytes([1, 0, 96, 0, 96])
        with open(jpeg, "rb") as f:
            self.assertEqual(f.read(), bytes(reference))
        os.remove(ppm)

        # The bitmap entry with "shot2.png" typed writes shot2.bmp with exactly the captured pixels.
        self.save_through_dialog("Up", wine_path(os.path.join(self.folder, "shot2.png")))
        bmp = self.wait_for_file(os.path.join(self.folder, "shot2.bmp"))
        with open(bmp, "rb") as f:
            header = f.read(54)
        self.assertEqual(header[:2], b"BM")
        self.assertEqual(int.from_bytes(header[10:14], "little"), 54)
        self.assertEqual(int.from_bytes(header[28:30], "little"), 32)
        self.assertEqual(int.from_bytes(header[38:42], "little"), 3780, "not 96 dots per inch")
        self.assertEqual(os.path.getsize(bmp), 54 + 4 * width * height)
        self.assertEqual(decoded_rgb(bmp), captured)

        # Two entries further down, the PNG entry with "shot3.jpg" typed writes shot3.png: 8-bit RGB
        # holding exactly the captured pixels, which libpng's own checker passes.
        self.save_through_dialog("Down Down", wine_path(os.path.join(self.folder, "shot3.jpg")))
        png = self.wait_for_file(os.path.join(self.folder, "shot3.png"))
        facts = run("identify", "-units", "PixelsPerInch", "-format", "%m %w %h %z %[png:IHDR.color-type-orig] %x",
                    png)
        *facts, dpi = facts.stdout.decode().split()
        self.assertEqual(facts, ["PNG", str(width), str(height), "8", "2"])
        self.assertEqual(round(float(dpi)), 96, "not 96 dots per inch")
        self.assertEqual(decoded_rgb(png), captured)
        self.assertTrue(run("pngfix", png).stdout.startswith(b"IDAT OK "))
        written = [n for n in os.listdir(self.folder) if n.lower().endswith((".bmp", ".jpg", ".png", ".tmp"))]
        self.assertEqual(sorted(written), ["shot.jpg", "shot2.bmp", "shot3.png"], "other files or temporary ones left")
        self.assertTrue(find_window("TKelpix").visible)


class TargetPicking(KelpixTestCase):
    GREY, TEAL, ORANGE = 0x808080, 0x2080C0, 0xF09010
    A = (100, 420, 340, 600)
    B = (520, 400, 900, 700)

    def setUp(self):
        super().setUp()
        # Wine windows wherever the pointer goes: under plain Xvfb they are what reports the moves.
        self.colour_window(0, 0, 1024, 768, self.GREY)
        for (left, top, right, bottom), rgb in ((self.A, self.TEAL), (self.B, self.ORANGE)):
            self.colour_window(left, top, right - left, bottom - top, rgb)
        self.main = self.start_kelpix()
        icon = find_child("TKelpix", "TPanel", "TImage")
        self.assertIsNotNone(icon)
        self.icon = ((icon.left + icon.right) // 2, (icon.top + icon.bottom) // 2)

    def around(self, window, by=4):
        left, top, right, bottom = window
        return screen(left - by, top - by, right + by, bottom + by)[2]

    def icon_visible(self):
        return find_child("TKelpix", "TPanel", "TImage").visible

    def test_drag_over_a_then_b_frames_each_and_captures_b(self):
        before_a, before_b = self.around(self.A), self.around(self.B)
        xdotool("mousemove", *map(str, self.icon))
        xdotool("mousedown", "1")
        self.addCleanup(xdotool, "mouseup", "1")  # also when a check below fails
        self.assertTrue(wait_for(lambda: not self.icon_visible(), timeout=5), "the press started no drag")

        xdotool("mousemove", str(self.A[0] + 60), str(self.A[1] + 50))
        self.assertTrue(wait_for(lambda: not frame_mismatches(self.A, self.TEAL, self.GREY), timeout=5),
                        f"no exact frame round A: {frame_mismatches(self.A, self.TEAL, self.GREY)[:5]}")
        xdotool("mousemove", str(self.B[0] + 100), str(self.B[1] + 80))
        self.assertTrue(wait_for(lambda: not frame_mismatches(self.B, self.ORANGE, self.GREY), timeout=5),
                        f"no exact frame round B: {frame_mismatches(self.B, self.ORANGE, self.GREY)[:5]}")
        self.assertTrue(wait_for(lambda: self.around(self.A) == before_a, timeout=5),
                        "A's surroundings are not as they were before the drag")

        xdotool("mouseup", "1")
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing reached the clipboard")
        w, h, formats, pixels = self.clipboard()
        self.assertEqual((w, h), (self.B[2] - self.B[0], self.B[3] - self.B[1]))
        self.assertEqual(pixels, rgb_bytes(self.ORANGE) * (w * h), "the image is not B's pixels alone")
        self.assertTrue(wait_for(lambda: self.around(self.B) == before_b, timeout=5), "a frame was left round B")
        self.assertTrue(find_window("TKelpix").visible)
        self.assertTrue(self.icon_visible())

    def test_press_and_release_without_moving_captures_what_lies_under_the_main_window(self):
        xdotool("mousemove", *map(str, self.icon))
        xdotool("mousedown", "1")
        self.addCleanup(xdotool, "mouseup", "1")  # also when a check below fails
        self.assertTrue(wait_for(lambda: not self.icon_visible(), timeout=5), "the press started no drag")
        xdotool("mouseup", "1")
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "nothing reached the clipboard")
        w, h, formats, pixels = self.clipboard()
        self.assertEqual((w, h), self.main.size)
        self.assertEqual(pixels, rgb_bytes(self.GREY) * (w * h), "the main window itself is in the picture")
        self.assertTrue(wait_for(lambda: find_window("TKelpix").visible, timeout=5))

    def test_right_or_middle_press_starts_nothing(self):
        main = (self.main.left, self.main.top, self.main.right, self.main.bottom)
        ring = self.around(main, by=3)
        xdotool("mousemove", *map(str, self.icon))
        xdotool("click", "3")
        # The right button brings up the window's menu instead; Escape closes it.
        self.assertIsNotNone(wait_for_window("#32768", timeout=5), "no context menu")
        xdotool("key", "Escape")
        xdotool("click", "2")
        time.sleep(1)
        self.assertEqual(self.clipboard()[:2], (0, 0), "something was captured")
        self.assertTrue(self.icon_visible())
        self.assertTrue(find_window("TKelpix").visible)
        self.assertTrue(wait_for(lambda: self.around(main, by=3) == ring, timeout=5), "a frame is on the screen")


class TargetPickingAt144Dpi(TargetPicking):
    """The same drag with the screen at 144 DPI (150 %): the layout scales, the frame and the image stay exact."""

    def setUp(self):
        key = r"HKCU\Control Panel\Desktop"
        subprocess.run(wine_command("reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f"),
                       capture_output=True, timeout=30, check=True)
        self.addCleanup(subprocess.run, wine_command("reg", "delete", key, "/v", "LogPixels", "/f"),
                        capture_output=True, timeout=30)
        super().setUp()

    def test_the_target_icon_is_drawn_for_the_dpi(self):
        icon = find_child("TKelpix", "TPanel", "TImage")
        self.assertEqual((icon.right - icon.left, icon.bottom - icon.top), (48, 48))

    # One drag is enough here; the other cases do not depend on the DPI.
    test_press_and_release_without_moving_captures_what_lies_under_the_main_window = None
    test_right_or_middle_press_starts_nothing = None


class SecondStart(TrayTestCase):
    def test_a_second_start_shows_the_running_kelpix_and_ends_saying_nothing(self):
        self.write_settings(KidoTask=1)
        self.launch_kelpix()
        self.assert_only_the_tray_icon_remains()
        first = self.proc
        second = subprocess.run(wine_command(self.exe), capture_output=True, timeout=30)
        self.assertEqual(second.returncode, 0)
        main = wait_for_window("TKelpix")
        self.assertIsNotNone(main, "the running Kelpix did not show itself")
        self.assertEqual(count_windows("TKelpix"), 1, "a second Kelpix is running")
        self.assertIsNone(find_window("#32770"), "a message came up")
        self.assertIsNone(first.poll(), "the running Kelpix ended")
        self.assertTrue(wait_for(lambda: not tray_shown(), timeout=10), "the icon stayed in the notification area")


class PlantedLibraries(KelpixTestCase):
    """Libraries of system names lying beside the program, as in a Downloads folder, are never loaded."""
    NAMES = ("dwmapi.dll", "shcore.dll", "propsys.dll")
    GREY, ORANGE = 0x808080, 0xF09010
    TARGET = (520, 400, 900, 700)

    def setUp(self):
        super().setUp()
        for name in self.NAMES:
            shutil.copy(os.environ["KELPIX_PLANTED"], os.path.join(self.folder, name))

    def loaded(self):
        return sorted(n[:-len(".loaded")] for n in os.listdir(self.folder) if n.endswith(".loaded"))

    def drag_capture(self):
        icon = find_child("TKelpix", "TPanel", "TImage")
        xdotool("mousemove", str((icon.left + icon.right) // 2), str((icon.top + icon.bottom) // 2))
        xdotool("mousedown", "1")
        self.addCleanup(xdotool, "mouseup", "1")
        xdotool("mousemove", str(self.TARGET[0] + 60), str(self.TARGET[1] + 50))
        time.sleep(0.3)
        xdotool("mousemove", str(self.TARGET[0] + 100), str(self.TARGET[1] + 80))
        time.sleep(0.3)
        xdotool("mouseup", "1")
        self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), "the drag captured nothing")

    def open_and_close(self, keys, cls, title=None):
        probe("activate", "TKelpix")
        time.sleep(0.3)
        xdotool("key", keys[0])
        if len(keys) > 1:  # a menu, then its item
            self.assertIsNotNone(wait_for_window("#32768", timeout=5), f"{keys[0]} opened no menu")
            xdotool("key", *keys[1:])
        self.assertIsNotNone(wait_for_window(cls, title, timeout=30), f"{keys} opened no {cls}")
        probe("close", cls, *([title] if title else []))
        self.assertTrue(wait_for(lambda: find_window(cls, title) is None or not find_window(cls, title).visible),
                        f"{cls} stayed open")

    def test_none_is_loaded_from_start_to_exit(self):
        self.colour_window(0, 0, 1024, 768, self.GREY)
        left, top, right, bottom = self.TARGET
        self.colour_window(left, top, right - left, bottom - top, self.ORANGE)
        self.start_kelpix()
        self.drag_capture()
        for key in ("ctrl+alt+k", "ctrl+alt+j"):
            probe("clear-clipboard", check=True)
            time.sleep(0.5)  # past the cooldown
            xdotool("mousemove", str(left + 100), str(top + 80), "key", key)
            self.assertTrue(wait_for(lambda: self.clipboard()[0] > 0, timeout=10), f"{key} captured nothing")
        self.open_and_close(["alt+t", "Up", "Return"], "TOptionDlg")
        self.open_and_close(["ctrl+s"], "#32770", "キャプチャー画像保存")
        self.open_and_close(["F1"], "HH Parent", "Kelpix")
        probe("close", "TKelpix", check=True)
        self.assertEqual(self.wait_exit(), 0)
        self.assertEqual(self.loaded(), [], "libraries planted beside the program were loaded")


class HelpViewerCase(KelpixTestCase):
    def tearDown(self):
        # The viewer is a process of its own; it must not stay for the next test to find.
        probe("close", "HH Parent", "Kelpix")
        wait_for(lambda: count_windows("HH Parent") == 0, timeout=10)
        super().tearDown()

    def press_f1_and_find_the_viewer(self):
        xdotool("key", "F1")
        viewer = wait_for_window("HH Parent", "Kelpix", timeout=30)
        self.assertIsNotNone(viewer, "F1 opened no help viewer titled Kelpix")
        return viewer


class Help(HelpViewerCase):
    def test_f1_opens_the_help_and_a_second_f1_brings_the_same_viewer_up(self):
        self.start_kelpix()
        first = self.press_f1_and_find_the_viewer()
        self.assertEqual(count_windows("HH Parent"), 1)
        # The viewer took the keyboard; F1 goes to the main window again.
        probe("activate", "TKelpix")
        time.sleep(0.5)
        xdotool("key", "F1")
        time.sleep(3)
        self.assertEqual(count_windows("HH Parent"), 1, "a second viewer was opened")
        again = find_window("HH Parent", "Kelpix")
        self.assertEqual(again.handle, first.handle)
        self.assertTrue(again.visible)


class HelpInAFolderNamedInAnyScript(HelpViewerCase):
    FOLDER_NAME = "表示 한국어 😀"

    def test_f1_finds_the_help_beside_the_program(self):
        self.start_kelpix()
        self.press_f1_and_find_the_viewer()


class HelpMissing(KelpixTestCase):
    def test_f1_without_the_help_file_says_so(self):
        os.remove(os.path.join(self.folder, "help.chm"))
        self.start_kelpix()
        xdotool("key", "F1")
        box = wait_for_window("#32770", "確認", timeout=10)
        self.assertIsNotNone(box, "no message box titled 確認")
        self.assertEqual(count_windows("HH Parent"), 0)
        xdotool("key", "Return")
        self.assertTrue(wait_for(lambda: find_window("#32770", "確認") is None, timeout=5))
        self.assertTrue(find_window("TKelpix").visible)


class HelpFile(unittest.TestCase):
    """dist/help.chm as compiled: every page in it, the links between them whole, contents and index
    in Shift-JIS that list every page, and a viewer window whose title stays Kelpix."""

    def setUp(self):
        self.chm = os.path.join(os.path.dirname(EXE), "help.chm")
        self.sources = os.path.join(os.path.dirname(__file__), "..", "..", "help")
        self.folder = tempfile.mkdtemp(prefix="kelpix-chm-")
        self.addCleanup(subprocess.run, ["rm", "-rf", self.folder])
        subprocess.run(["chmls", "extractall", self.chm, self.folder], check=True, capture_output=True, timeout=60)

    def read(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def source_pages(self):
        """The pages in help/, those made from a template (license.html.in) under their own name."""
        names = glob.glob(os.path.join(self.sources, "*.html")) + glob.glob(os.path.join(self.sources, "*.html.in"))
        return sorted(os.path.basename(p).removesuffix(".in") for p in names)

    def test_holds_every_page_with_its_links_whole(self):
        pages = self.source_pages()
        self.assertGreaterEqual(len(pages), 10)
        for page in pages + ["kelpix.css"]:
            self.assertTrue(os.path.exists(os.path.join(self.folder, page)), f"{page} is not in help.chm")

        class Links(html.parser.HTMLParser):
            def __init__(self):
                super().__init__()
                self.targets = []

            def handle_starttag(self, tag, attrs):
                for name, value in attrs:
                    if name in ("href", "src"):
                        self.targets.append(value)

        for page in pages:
            text = self.read(page).decode("utf-8")
            self.assertIn('charset=utf-8', text)
            links = Links()
            links.feed(text)
            for target in links.targets:
                self.assertTrue(os.path.exists(os.path.join(self.folder, target.split("#")[0])),
                                f"{page} links to {target}, which is not in help.chm")

    def test_contents_are_shift_jis_and_reach_every_page(self):
        toc = self.read("toc.hhc").decode("cp932")
        self.assertIn("ウィンドウを選んでキャプチャする", toc)
        listed = set(re.findall(r'value="([a-z]+\.html)"', toc))
        self.assertEqual(listed, set(self.source_pages()))
        self.assertIn("時間差キャプチャ", self.read("index.hhk").decode("cp932"))
        # The licence page holds the notices the linked libraries ask for.
        self.assertIn("based in part on the work of the Independent JPEG Group", self.read("license.html").decode())

    def test_viewer_keeps_the_title_kelpix_whatever_page_it_shows(self):
        # #WINDOWS: count and entry size, then the entries; in an entry the window properties stand at
        # offset 16 and the caption (an offset into #STRINGS) at 20. The program finds the viewer by
        # that caption, so the property that replaces it with each page's title must be off.
        windows, strings = self.read("#WINDOWS"), self.read("#STRINGS")
        self.assertEqual(int.from_bytes(windows[0:4], "little"), 1)
        properties = int.from_bytes(windows[8 + 16:8 + 20], "little")
        caption = int.from_bytes(windows[8 + 20:8 + 24], "little")
        self.assertEqual(strings[caption:strings.index(b"\0", caption)], b"Kelpix")
        self.assertFalse(properties & 0x2000, "the viewer takes each page's title")



class CommandLineCase(KelpixTestCase):
    """Kelpix.exe --capture WHICH [options], run from a pipe as a script runs it."""
    ORANGE, TEAL = 0xF09010, 0x2080C0
    A = (100, 120, 340, 300)  # orange, captioned in Japanese
    B = (520, 400, 900, 700)  # teal, captioned with its colour
    TITLE = "表示 テスト"

    def windows(self):
        place = lambda r: (r[0], r[1], r[2] - r[0], r[3] - r[1])
        return (self.colour_window(*place(self.A), self.ORANGE, title=self.TITLE),
                self.colour_window(*place(self.B), self.TEAL))

    def kelpix(self, *args):
        """(exit code, standard output, standard error), read as cmd and PowerShell read them here (OEM code page 932)."""
        done = subprocess.run(wine_command(self.exe, *args), capture_output=True, timeout=60, cwd=self.folder)
        return done.returncode, done.stdout.decode("cp932"), done.stderr.decode("cp932")

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def files(self):
        """What lies in the folder besides the program's own files."""
        return sorted(n for n in os.listdir(self.folder) if not n.lower().endswith((".exe", ".dll", ".chm", ".ini")))

    def assert_pixels(self, path, window, rgb):
        w, h = window[2] - window[0], window[3] - window[1]
        self.assertEqual(decoded_rgb(path), rgb_bytes(rgb) * (w * h), f"{path} is not the window's pixels")


class CommandLine(CommandLineCase):
    def test_a_usage_error_and_help_print_the_usage_in_the_language_kelpix_shows(self):
        code, out, err = self.kelpix("--capture", "title=x", "/delay", "5000", "--out", "x.png")
        self.assertEqual((code, out), (1, ""))
        first, usage = err.split("\r\n", 1)
        self.assertEqual(first, "/delay に「5000」は指定できません。0 から 3600 までの整数 (秒数) を指定してください")
        self.assertEqual(self.kelpix("--help"), (0, usage, ""))
        self.assertTrue(usage.startswith("使い方: Kelpix.exe --capture 対象 [オプション]\r\n"), usage[:60])
        self.write_settings(Language=2)
        code, out, err = self.kelpix("/?")
        self.assertEqual((code, err), (0, ""))
        self.assertTrue(out.startswith("Usage: Kelpix.exe --capture WHICH [options]\r\n"), out[:60])
        self.assertEqual(self.files(), [])

    def test_each_way_of_naming_a_window_writes_its_pixels_and_prints_the_full_path(self):
        a, b = self.windows()
        xdotool("mousemove", str((self.B[0] + self.B[2]) // 2), str((self.B[1] + self.B[3]) // 2))
        runs = [(f"title={self.TITLE}", ["--covered"], "a1.png", self.A, self.ORANGE),
                (f"window={a.handle}", ["--delay", "1"], "a2.png", self.A, self.ORANGE),
                (f"window=0x{b.handle:x}", [], "b1.png", self.B, self.TEAL),
                (f"process={a.pid}", [], "a3.png", self.A, self.ORANGE),
                ("process=KELPIX_PROBE", [], "b2.png", self.B, self.TEAL),  # b's is above a's
                ("pointer", [], "b3.png", self.B, self.TEAL)]
        for which, options, name, window, rgb in runs:
            code, out, err = self.kelpix("--capture", which, *options, "--out", name)
            self.assertEqual((code, out, err), (0, wine_path(self.path(name)) + "\r\n", ""), which)
            self.assert_pixels(self.path(name), window, rgb)
        # A click makes a the active window.
        xdotool("mousemove", str(self.A[0] + 20), str(self.A[1] + 20), "click", "1")
        code, out, err = self.kelpix("--capture", "active", "--out", wine_path(self.path("a4.png")))
        self.assertEqual((code, err), (0, ""))
        self.assert_pixels(self.path("a4.png"), self.A, self.ORANGE)
        # --format wins over the extension, and the name stays as given.
        self.kelpix("--capture", "active", "--format", "bmp", "--out", "a5.png")
        self.kelpix("--capture", "active", "--out", "a6.JPEG")
        with open(self.path("a5.png"), "rb") as bmp, open(self.path("a6.JPEG"), "rb") as jpeg:
            self.assertEqual((bmp.read(2), jpeg.read(3)), (b"BM", b"\xff\xd8\xff"))

    def test_a_failure_is_one_line_with_its_exit_code_and_leaves_every_file_as_it_was(self):
        self.windows()
        code, out, err = self.kelpix("--capture", "title=no such window", "--out", "x.png")
        self.assertEqual((code, out, err), (2, "", "title=no such window に合うウィンドウがありません\r\n"))
        with open(self.path("x.png"), "wb") as f:
            f.write(b"old")
        code, out, err = self.kelpix("--capture", "title=テスト", "--out", "x.png")
        self.assertEqual((code, out), (5, ""))
        self.assertEqual(err, f"ファイル {wine_path(self.path('x.png'))} は既にあります。上書きするには --overwrite を指定してください\r\n")
        with open(self.path("x.png"), "rb") as f:
            self.assertEqual(f.read(), b"old")
        code, out, err = self.kelpix("--capture", "title=テスト", "--out", "missing\\x.png")
        self.assertEqual((code, out), (4, ""))
        self.assertTrue(err.startswith(f"ファイル {wine_path(self.path('missing', 'x.png'))} を保存できません: "), err)
        self.assertGreater(len(err.split(": ", 1)[1].strip()), 0, "the system's reason is missing")
        self.assertEqual(self.files(), ["x.png"], "a file was left behind")
        code, out, err = self.kelpix("--capture", "title=テスト", "--out", "x.png", "--overwrite")
        self.assertEqual((code, out, err), (0, wine_path(self.path("x.png")) + "\r\n", ""))
        self.assert_pixels(self.path("x.png"), self.A, self.ORANGE)

    def test_without_out_the_automatic_save_folder_and_name_are_used_and_the_settings_file_kept(self):
        self.windows()
        shots = self.path("撮影 shots")
        ini = os.path.splitext(self.exe)[0] + ".ini"
        with open(ini, "wb") as f:
            f.write(f"[Option]\r\nAutoSaveDir={wine_path(shots)}\r\nAutoSaveName=<title> 撮影\r\nAutoSaveFormat=2\r\n"
                    .encode("cp932"))
        before = (os.stat(ini).st_mtime_ns, open(ini, "rb").read())
        for name in (f"{self.TITLE} 撮影.png", f"{self.TITLE} 撮影 (2).png"):
            code, out, err = self.kelpix("--capture", "title=テスト")
            self.assertEqual((code, out, err), (0, wine_path(os.path.join(shots, name)) + "\r\n", ""))
            # PNG, as without --out, whatever format the automatic saves have.
            self.assert_pixels(os.path.join(shots, name), self.A, self.ORANGE)
        self.assertEqual((os.stat(ini).st_mtime_ns, open(ini, "rb").read()), before, "the settings file changed")
        self.assertEqual(self.files(), ["撮影 shots"])

    def test_the_clipboard_keeps_the_image_after_kelpix_ends(self):
        self.windows()
        code, out, err = self.kelpix("--capture", "title=テスト", "--clipboard", "--out", "c.png")
        self.assertEqual((code, err), (0, ""))
        w, h, formats, pixels = self.clipboard()
        self.assertEqual((w, h), (self.A[2] - self.A[0], self.A[3] - self.A[1]))
        self.assertEqual(pixels, rgb_bytes(self.ORANGE) * (w * h))


class CommandLineInAConsole(CommandLineCase):
    """The same from cmd and a console: a pseudo-terminal gives Wine's programs a console."""

    def in_console(self, *args):
        command = " ".join(shlex.quote(a) for a in wine_command(self.exe, *args))
        done = subprocess.run(["script", "-qec", command, "/dev/null"], capture_output=True, timeout=60,
                              cwd=self.folder, stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout.decode("utf-8", "replace")

    def test_a_console_shows_the_path_and_the_failure_in_any_script(self):
        self.windows()
        code, shown = self.in_console("--capture", "title=テスト", "--out", "表示 한국어.png")
        self.assertEqual(code, 0)
        self.assertIn(wine_path(self.path("表示 한국어.png")) + "\r", shown)
        self.assert_pixels(self.path("表示 한국어.png"), self.A, self.ORANGE)
        code, shown = self.in_console("--capture", "title=한국어")
        self.assertEqual(code, 2)
        self.assertIn("title=한국어 に合うウィンドウがありません", shown)

    def test_a_batch_file_reads_the_path_with_for_f_and_the_exit_code_from_errorlevel(self):
        self.windows()
        batch = self.path("shoot.bat")
        with open(batch, "w", newline="\r\n") as f:
            f.write("@echo off\n"
                    "for /f \"delims=\" %%p in ('Kelpix.exe --capture title=2080C0 --out shot.png') do set shot=%%p\n"
                    "echo saved [%shot%]\n"
                    "Kelpix.exe --capture title=2080C0 --out shot.png\n"
                    "echo exit %errorlevel%\n"
                    "Kelpix.exe --help | more\n")
        done = subprocess.run(wine_command("cmd", "/c", wine_path(batch)), capture_output=True, timeout=60,
                              cwd=self.folder)
        shown = done.stdout.decode("cp932")
        self.assertIn(f"saved [{wine_path(self.path('shot.png'))}]", shown)
        self.assertIn("exit 5", shown)
        self.assertIn("使い方: Kelpix.exe --capture", shown)
        self.assert_pixels(self.path("shot.png"), self.B, self.TEAL)


class CommandLineBesideARunningKelpix(CommandLineCase):
    def test_the_running_kelpix_keeps_its_window_focus_clipboard_and_settings(self):
        self.write_settings(Language=1)
        ini = os.path.splitext(self.exe)[0] + ".ini"
        with open(ini, "rb") as f:
            settings = f.read()
        self.windows()
        self.start_kelpix()
        # The notification area's window is there, never shown: no picture of it can be had.
        hidden = find_window("TTaskForm")
        self.assertFalse(hidden.visible)
        code, out, err = self.kelpix("--capture", f"window={hidden.handle}", "--out", "hidden.png")
        self.assertEqual((code, out, err), (3, "", "ウィンドウをキャプチャできませんでした\r\n"))
        code, out, err = self.kelpix("--capture", "title=テスト", "--cursor", "--out", "a.png")
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(self.files(), ["a.png"])
        self.assertTrue(focused_window_name().startswith("Kelpix [ver"), "the focus moved")
        self.assertEqual(count_windows("TKelpix"), 1)
        self.assertIsNone(self.proc.poll(), "the running Kelpix ended")
        self.assertFalse(tray_shown(), "an icon came up in the notification area")
        self.assertEqual(self.clipboard()[:2], (0, 0), "the clipboard changed")
        with open(ini, "rb") as f:
            self.assertEqual(f.read(), settings)
        probe("close", "TKelpix", check=True)
        self.assertEqual(self.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
