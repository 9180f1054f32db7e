# Sourced by the end-to-end scripts: they run only inside the sandboxed
# prefix that tools/test made, and report checks as ok / FAIL lines.
marker="${WINEPREFIX:-}/drive_c/norvale-sandbox.txt"
if [ -z "${NORVALE_SANDBOX_TOKEN:-}" ] || [ ! -f "$marker" ] ||
   [ "$(head -1 "$marker" | tr -d '\r')" != "$NORVALE_SANDBOX_TOKEN" ] || [ -e "$WINEPREFIX/dosdevices/z:" ]; then
  echo "Refusing to run outside the sandboxed test prefix" >&2
  exit 2
fi
fail=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok   - $1"; else echo "FAIL - $1"; fail=1; fi
}
