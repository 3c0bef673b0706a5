# Shared by the scripts: installs what the build and the tests need (only what
# is missing, so a second run costs a few dpkg queries) and configures and
# builds a preset.

KESTROVA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

KESTROVA_PACKAGES=(
  cmake ninja-build g++ clang-format
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  clang libclang-rt-14-dev clang-tidy cppcheck python3
  googletest libgtest-dev
  wine wine64 fonts-wine xvfb x11-utils xdotool imagemagick
)

kestrova_install_packages() {
  local missing=()
  local package
  for package in "${KESTROVA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# kestrova_build PRESET: configure (once) and build one preset.
kestrova_build() {
  local preset="$1"
  (
    cd "$KESTROVA_ROOT"
    if [ ! -f "build/$preset/build.ninja" ]; then
      cmake --preset "$preset" >/dev/null
    fi
    cmake --build --preset "$preset" -j"$(nproc)"
  )
}
