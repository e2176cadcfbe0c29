# Sourced by the build scripts (after setting `root`): `launcher` holds the CMake arguments that
# put ccache in front of the compilers when it is installed, so rebuilds of unchanged sources
# are cheap, also from another checkout of the same sources.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
fi
