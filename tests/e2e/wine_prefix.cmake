# cmake -DACTION=create|remove -DWINE=... -DWINESERVER=... -DPREFIX=... -P wine_prefix.cmake
#
# A private, throw-away Wine prefix for the end-to-end tests: headless, no Mono or Gecko installer
# offered, no debug chatter.

set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})

if(ACTION STREQUAL "create")
  if(NOT WINE OR NOT EXISTS "${WINE}")
    if("$ENV{VORN_E2E_REQUIRED}")
      message(FATAL_ERROR "wine is not installed")
    endif()
    message(FATAL_ERROR "VORN_E2E_SKIPPED: wine is not installed")
  endif()
  file(REMOVE_RECURSE ${PREFIX})
  get_filename_component(parent ${PREFIX} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
  if(WINESERVER)
    # wineboot returns before the prefix is complete; the server's exit marks the end.
    execute_process(COMMAND ${WINESERVER} --wait)
  endif()
  if(NOT result EQUAL 0 OR NOT EXISTS ${PREFIX}/system.reg)
    message(FATAL_ERROR "cannot create the Wine prefix ${PREFIX} (${result}): ${errors}")
  endif()
  message(STATUS "Wine prefix ready: ${PREFIX}")
elseif(ACTION STREQUAL "remove")
  if(WINESERVER AND EXISTS ${PREFIX})
    execute_process(COMMAND ${WINESERVER} --kill)
  endif()
  file(REMOVE_RECURSE ${PREFIX})
else()
  message(FATAL_ERROR "ACTION must be create or remove")
endif()
