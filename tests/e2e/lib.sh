# Shared by the end-to-end scripts: the sandbox guard and the check helper.
# Source it; it defines `check` and `fail`, or ends the script outside the
# sandboxed test prefix.

fail=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok   - $1"; else echo "FAIL - $1"; fail=1; fi
}

# Only inside the sandboxed prefix that tools/test made.
nv_e2e_marker="${WINEPREFIX:-}/drive_c/norvale-sandbox.txt"
if [ -z "${NORVALE_SANDBOX_TOKEN:-}" ] || [ ! -f "$nv_e2e_marker" ] ||
   [ "$(head -1 "$nv_e2e_marker" | tr -d '\r')" != "$NORVALE_SANDBOX_TOKEN" ] || [ -e "$WINEPREFIX/dosdevices/z:" ]; then
  echo "Refusing to run outside the sandboxed test prefix" >&2
  exit 2
fi
