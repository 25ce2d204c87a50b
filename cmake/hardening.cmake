# The hardening Debian builds its packages with (dpkg-buildflags with
# hardening=+all): fortified libc calls, a stack protector, format-string
# checks, a read-only relocation table resolved at start-up, and a
# position-independent executable. For native builds; sanitizer and fuzzer
# builds keep their own instrumentation instead.
option(INTRO_HARDENING "Build with Debian's hardening flags" ON)
if(NOT INTRO_HARDENING OR CMAKE_CROSSCOMPILING OR INTRO_SANITIZE OR INTRO_FUZZ)
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES C CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
# Fortification needs the optimizer; a Debug build (-O0) would only be warned.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro -Wl,-z,now)
