"""The zip files of `make dist`, made afresh by scripts/dist into a temporary folder: their names
carry the project's version, they hold exactly the program's five files for their architecture,
and readme.txt is Shift-JIS with CRLF line ends, in Japanese then English, carrying the licence notices."""
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
import zipfile

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
MACHINES = {"win64": 0x8664, "win32": 0x14C}  # the PE file header's machine field
BUILT = {"win64": "dist", "win32": os.path.join("build", "win32", "dist")}


def project_version():
    with open(os.path.join(TOP, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(Kelpix VERSION ([0-9.]+)", f.read()).group(1)


def machine(exe):
    at = struct.unpack_from("<I", exe, 0x3C)[0]
    assert exe[at:at + 4] == b"PE\0\0"
    return struct.unpack_from("<H", exe, at + 4)[0]


class Zips(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.mkdtemp(prefix="kelpix-dist-")
        subprocess.run([os.path.join(TOP, "scripts", "dist"), cls.out], check=True, timeout=120,
                       capture_output=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.out)

    def test_each_zip_holds_the_five_files_of_its_architecture(self):
        version = project_version()
        self.assertEqual(sorted(os.listdir(self.out)), [f"Kelpix-{version}-win32.zip", f"Kelpix-{version}-win64.zip"])
        for arch, expected_machine in MACHINES.items():
            with self.subTest(arch=arch), zipfile.ZipFile(os.path.join(self.out, f"Kelpix-{version}-{arch}.zip")) as z:
                self.assertIsNone(z.testzip())
                self.assertEqual(sorted(z.namelist()),
                                 ["KELPIXDLL.DLL", "Kelpix.exe", "help-en.chm", "help.chm", "readme.txt"])
                for name in ("Kelpix.exe", "KELPIXDLL.DLL", "help.chm", "help-en.chm"):
                    with open(os.path.join(TOP, BUILT[arch], name), "rb") as built:
                        self.assertEqual(z.read(name), built.read(), f"{name} is not the built one")
                self.assertEqual(machine(z.read("Kelpix.exe")), expected_machine)
                self.assertEqual(machine(z.read("KELPIXDLL.DLL")), expected_machine)

    def test_readme_is_shift_jis_with_crlf_and_tells_what_a_user_needs(self):
        version = project_version()
        for arch in MACHINES:
            with self.subTest(arch=arch), zipfile.ZipFile(os.path.join(self.out, f"Kelpix-{version}-{arch}.zip")) as z:
                raw = z.read("readme.txt")
                text = raw.decode("cp932")  # strict: fails on anything that is not Shift-JIS
                self.assertFalse(raw.startswith(b"\xef\xbb\xbf"), "a UTF-8 byte order mark")
                self.assertTrue(raw.endswith(b"\r\n"))
                self.assertEqual(raw.count(b"\n"), raw.count(b"\r\n"), "a line ends without CR")
                self.assertEqual(raw.count(b"\r"), raw.count(b"\r\n"), "a CR without LF")
                self.assertIsNone(re.search(r"@[A-Z_]+@", text), "a placeholder left")
                self.assertIn(f"Kelpix {version}", text)
                self.assertIn("64 ビット版" if arch == "win64" else "32 ビット版", text.splitlines()[1])
                english = text[text.index(f"Kelpix {version} - window capture tool"):]
                english = english[:english.index("━")]  # the notices' heading
                self.assertTrue(english.isascii(), "the English part is not plain ASCII")
                for needed in ("64-bit Windows" if arch == "win64" else "Windows (32-bit or 64-bit)",
                               "help-en.chm", "Uninstalling", "Ctrl+S"):
                    self.assertIn(needed, english)
                for needed in ("インストール", "Kelpix.ini", "アンインストール", "レジストリには何も書き込みません",
                               "Ctrl+S", "F5", "MIT", "履歴",
                               "This software is based in part on the work of the Independent JPEG Group.",
                               "Modified (3-clause) BSD License", "PNG Reference Library License version 2",
                               "Jean-loup Gailly and Mark Adler"):
                    self.assertIn(needed, text)


if __name__ == "__main__":
    unittest.main()
