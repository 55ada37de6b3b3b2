"""The packages of `make dist`: each bitness gets its own program, the help beside it, and an
installer that asks for no administrator rights."""

import os
import re
import struct
import unittest
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DIST = Path(os.environ.get("VEILORA_DIST_DIR", ROOT / "build" / "dist"))
# Outside ctest, the project's own version: an empty one would match any name and any text.
VERSION = os.environ.get("VEILORA_VERSION") or re.search(
    r"project\(\s*\w+\s+VERSION\s+([\d.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)
HELP_FILE = Path(os.environ.get("VEILORA_HELP_FILE",
                                ROOT / "build" / "native" / "help" / "veilora.chm"))
PROGRAMS = {"x64": Path(os.environ.get("VEILORA_WIN64_DIR", ROOT / "build" / "win64")),
            "x86": Path(os.environ.get("VEILORA_WIN32_DIR", ROOT / "build" / "win32"))}
MACHINE = {"x64": 0x8664, "x86": 0x14C}


def pe_machine(data):
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[offset:offset + 4] == b"PE\0\0", "not a Windows program"
    return struct.unpack_from("<H", data, offset + 4)[0]


class PackagesTest(unittest.TestCase):
    def package(self, arch, kind):
        path = DIST / f"veilora-{VERSION}-{arch}-{kind}"
        self.assertTrue(path.exists(), f"{path} is missing: build it with 'make dist'")
        return path

    def test_portable_zips_hold_their_own_program_and_the_help(self):
        for arch in ("x64", "x86"):
            with self.subTest(arch=arch), zipfile.ZipFile(self.package(arch, "portable.zip")) as z:
                self.assertEqual(sorted(z.namelist()),
                                 ["License.txt", "ReadMe.txt", "veilora.chm", "veilora.exe"])
                exe = z.read("veilora.exe")
                self.assertEqual(pe_machine(exe), MACHINE[arch])
                # Compared whole, but not printed whole when they differ.
                self.assertTrue(exe == (PROGRAMS[arch] / "veilora.exe").read_bytes(), "the program")
                self.assertTrue(z.read("veilora.chm") == HELP_FILE.read_bytes(), "the help")
                readme = z.read("ReadMe.txt").decode()
                bits = "64" if arch == "x64" else "32"
                self.assertIn(f"Veilora {VERSION} ({bits}-bit)", readme)
                self.assertNotIn("\n", readme.replace("\r\n", ""), "Notepad needs CRLF")

    def test_installers_run_as_the_user_on_their_bitness(self):
        for arch in ("x64", "x86"):
            with self.subTest(arch=arch):
                data = self.package(arch, "setup.exe").read_bytes()
                self.assertEqual(pe_machine(data), MACHINE[arch])
                self.assertIn(b'level="asInvoker"', data)
                self.assertIn(f"{VERSION}".encode("utf-16-le"), data, "version resource")


if __name__ == "__main__":
    unittest.main()
