# Optional parts of the native build. The intro needs only SDL2; the tests,
# the benchmarks, some tools and the package's extras each need something
# more. intro_optional(<part> <what> <found> [<group>]) reports a part left
# out in one line, naming the install-deps.sh group that brings it (default:
# test), or stops the configure step when INTRO_REQUIRE_ALL is ON (./test.sh,
# CI: a test stage must never vanish because a package is missing).
option(INTRO_REQUIRE_ALL "Stop when an optional part (tests, benchmarks, tools, manual pages, icons) cannot be built" OFF)

function(intro_optional part what found)
  if(found)
    return()
  endif()
  set(group test)
  if(ARGC GREATER 3)
    set(group ${ARGV3})
  endif()
  if(INTRO_REQUIRE_ALL)
    message(FATAL_ERROR "${part}: ${what} not found, and INTRO_REQUIRE_ALL is ON "
                        "(scripts/install-deps.sh ${group} installs it)")
  endif()
  message(STATUS "${part} left out: ${what} not found (scripts/install-deps.sh ${group} installs it)")
endfunction()
