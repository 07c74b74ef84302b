# Sourced by the setup dialog's end-to-end tests on X11 and Wayland, which
# define fail, $settings (the settings file) and $state (the pattern file).

# expect_dialog_stored: Ok stored what the test set in the dialog ("All
# colors" off, "Gold" picked) in both sections, and the pattern state.
expect_dialog_stored() {
  local key
  section() { sed -n "/^\[$1\]/,/^\[/p" "$settings"; }
  for key in Item=3 All_Materials=0; do
    section SETUP_DIALOG | grep -qx "$key" || fail "SETUP_DIALOG lacks $key"
  done
  for key in Pattern=5 Show_All=0; do
    section PATTERNS | grep -qx "$key" || fail "PATTERNS lacks $key"
  done
  [ -s "$state" ] || fail "Ok stored no pattern state"
}
