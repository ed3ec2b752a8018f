# cmake -DPROGRAM=... -DWINE=... -DPREFIX=... -DWORK=... -P run_wine_program.cmake
#
# Runs one Windows test program of the windows preset under Wine, in a fresh folder WORK.

if(NOT WINE OR NOT EXISTS "${WINE}")
  set(reason "wine is not installed")
elseif(NOT EXISTS "${PROGRAM}")
  set(reason "${PROGRAM} is missing: build the windows preset first")
endif()
if(reason)
  if("$ENV{VORN_E2E_REQUIRED}")
    message(FATAL_ERROR "${reason}")
  endif()
  message(FATAL_ERROR "VORN_E2E_SKIPPED: ${reason}")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
execute_process(COMMAND ${WINE} Z:${PROGRAM} WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 120)
message(STATUS "${output}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} under Wine failed (${result}):\n${output}${errors}")
endif()
