# Every target of the project is built with the usual warnings. The project's own scripts and CI
# make them errors (-DSCENESAVER_WERROR=ON); a plain build or a packager's build does not, so a
# newer compiler's new warning never stops someone building the usual way.
option(SCENESAVER_WERROR "Treat compiler warnings as errors" OFF)
add_compile_options(-Wall -Wextra)
if(SCENESAVER_WERROR)
  add_compile_options(-Werror)
endif()
