"""What every start of the real program does before it looks at the medium:
the Windows version and the Administrators query, on the NT family only."""

import re

from launch_case import LaunchCase, wd

PRODUCT_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Lexivane"
APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\launch.exe"
DEBUG_KEY = "HKCU\\Software\\Wine\\Debug"


class AdministratorQuery(LaunchCase):
    def setUp(self):
        super().setUp()
        # Relay-trace only the security library, to see which of its
        # functions the program calls.
        wd.reg_add(DEBUG_KEY, "RelayInclude", "advapi32.*")
        self.addCleanup(wd.reg_delete, DEBUG_KEY)
        self.medium("compressed")

    def token_calls(self, run):
        return set(re.findall(r"Call advapi32\.(\w*Token\w*|\w*Sid)\(", run.trace))

    def test_nt_family_asks_for_the_token_groups(self):
        run = self.launch("autorun", extra_env={"WINEDEBUG": "+msgbox,+relay"})
        self.assertEqual(run.boxes, [])
        self.assertEqual(len(run.records), 1)
        calls = self.token_calls(run)
        self.assertIn("GetTokenInformation", calls)
        self.assertIn("EqualSid", calls)
        self.assertIn("FreeSid", calls)
        self.assertTrue({"OpenThreadToken", "OpenProcessToken"} <= calls)

    def test_windows_98_calls_no_token_function_and_still_launches(self):
        wd.reg_add(APP_DEFAULTS, "Version", "win98")
        self.addCleanup(wd.reg_delete, APP_DEFAULTS)
        wd.reg_add(PRODUCT_KEY + "\\Sub", "Value", "x")
        self.addCleanup(wd.reg_delete, PRODUCT_KEY)
        run = self.launch("autorun", extra_env={"WINEDEBUG": "+msgbox,+relay"})
        self.assertIn("Call advapi32.RegDeleteKeyA(", run.trace)
        self.assertEqual(self.token_calls(run), set())
        self.assertEqual(run.boxes, [])
        self.assertEqual(len(run.records), 1)
        self.assertFalse(wd.reg_exists(PRODUCT_KEY))
