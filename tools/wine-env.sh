# shellcheck shell=bash
# wine-env.sh: sourced by the scripts that run a build tree's programs
# under Wine. The one place for the environment they run in; the tests'
# CMake reads pellmark_dll_overrides from this file too.

# No Mono or Gecko install prompt in a fresh prefix.
pellmark_dll_overrides="mscoree=;mshtml="

# wine_env PREFIX LOADER [MORE_OVERRIDES]: the private prefix, quiet, the
# loader of the tree's width.
wine_env() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINELOADER="$2"
  export WINEDLLOVERRIDES="$pellmark_dll_overrides${3:+;$3}"
}

# tree_loader TREE: the Wine loader the tree was configured with (32-bit
# Wine for the PE32 tree, wine64 for the 64-bit one), as ./pellmark chose.
tree_loader() {
  sed -n 's/^PELLMARK_WINE:[A-Z]*=//p' "$1/CMakeCache.txt"
}
