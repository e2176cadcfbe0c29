# Every target of the project is built with the usual warnings. The project's own scripts and CI
# make them errors (-DSCENESAVER_WERROR=ON); a plain build or a packager's build does not, so a
# newer compiler's new warning never stops someone building the usual way.
option(SCENESAVER_WERROR "Treat compiler warnings as errors" OFF)
add_compile_options(-Wall -Wextra)
if(SCENESAVER_WERROR)
  add_compile_options(-Werror)
endif()
# GCC 12 at -O3 (CMake's Release) reports `"text" + std::string` as an overlapping copy
# (-Wrestrict) inside the standard library's own code; GCC 13 no longer does.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
