# The Windows build: the core, the Win32 backend (platform/win32) and the player, plus the core's
# unit tests, which run under the cross-compiling emulator (Wine) when there is one.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

enable_testing()
add_subdirectory(base)
add_subdirectory(raster)
add_subdirectory(platform)
add_subdirectory(package)
add_subdirectory(effects)
add_subdirectory(settings)
add_subdirectory(presentation)
add_subdirectory(startup)
add_subdirectory(tests)
