"""Whether a medium's start program is the launcher that this kit ships: the
release build byte for byte, or that build signed (the same bytes once its
Authenticode signature is taken off, whoever signed it); and whether a
signed one's signature is whole."""

import filecmp
import os
import re

from kit.common.outside_tool import ToolFailed, run_tool

# A signature with its certificate chain and time stamp takes some
# kilobytes; a file much bigger than the launcher is not the launcher.
SIGNATURE_ROOM = 1 << 20


def is_kit_launcher(program, release_launcher, work):
    """program and release_launcher are paths; work a folder to unsign in."""
    if filecmp.cmp(program, release_launcher, shallow=False):
        return True
    if os.path.getsize(program) > os.path.getsize(release_launcher) + SIGNATURE_ROOM:
        return False
    unsigned = os.path.join(work, "unsigned-launcher.exe")
    try:
        run_tool(["osslsigncode", "remove-signature", "-in", program, "-out", unsigned], 60)
        return filecmp.cmp(unsigned, release_launcher, shallow=False)
    except ToolFailed as error:
        if error.exit_code is None:
            raise
        return False  # not signed, or not a program that can be
    finally:
        if os.path.exists(unsigned):
            os.unlink(unsigned)


def signature_problem(program, work):
    """Why a signed program's signature is broken (the file is not as it was
    signed, or the signature does not hold together), or None. Whether
    Windows trusts the signer is Windows' to say: the signature's own
    certificates stand in for the trusted ones."""
    signature = os.path.join(work, "signature.der")
    certificates = os.path.join(work, "signature-certificates.pem")
    try:
        run_tool(["osslsigncode", "extract-signature", "-in", program, "-out", signature], 60)
        run_tool(["openssl", "pkcs7", "-inform", "DER", "-print_certs", "-in", signature,
                  "-out", certificates], 60)
        said = run_tool(["osslsigncode", "verify", "-CAfile", certificates, "-TSA-CAfile",
                         certificates, "-in", program], 60, ok=None, text=True,
                        errors="replace")
    except ToolFailed as error:
        if error.exit_code is None:
            raise
        return "its signature cannot be read"
    finally:
        for path in (signature, certificates):
            if os.path.exists(path):
                os.unlink(path)
    output = said.stdout + said.stderr
    if "MISMATCH" in output:
        return "the file was changed after it was signed"
    if said.returncode != 0 or not re.search(r"^Signature verification: ok$", output, re.M):
        return "the signature does not verify"
    return None
