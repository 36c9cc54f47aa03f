"""End-to-end tests: the real Kelpix.exe under Wine, driven with real keyboard and mouse input."""
import time
import unittest

from e2e_support import KelpixTestCase, find_window, probe, reads_settings_file, tray_shown, wait_for, xdotool


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


@unittest.skipUnless(reads_settings_file(), "this build does not read Kelpix.ini")
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


if __name__ == "__main__":
    unittest.main()
