# cmake -DSCENARIO=... -DSIM=... -DCOMPARE=... -DWINDOWS_BUILD_DIR=... -DWINE=... -DPREFIX=... -DWORK=...
#       -P run_e2e.cmake
#
# Plays one scenario twice, each in a fresh folder as the game's working directory: with the Linux
# simulator, and with the real VornLoconaut.asi under Wine. The two traces of native calls must
# agree, and the plug-in must leave the same VornLoconaut.ini behind in both folders.

function(skip_or_fail reason)
  if("$ENV{VORN_E2E_REQUIRED}")
    message(FATAL_ERROR "${reason}")
  endif()
  message(FATAL_ERROR "VORN_E2E_SKIPPED: ${reason}")
endfunction()

set(asi ${WINDOWS_BUILD_DIR}/VornLoconaut.asi)
set(host ${WINDOWS_BUILD_DIR}/vorn-wine-host.exe)
set(hook ${WINDOWS_BUILD_DIR}/ScriptHookV.dll)
if(NOT WINE OR NOT EXISTS "${WINE}")
  skip_or_fail("wine is not installed")
endif()
foreach(file ${asi} ${host} ${hook})
  if(NOT EXISTS ${file})
    skip_or_fail("${file} is missing: build the windows preset first")
  endif()
endforeach()

set(linux_dir ${WORK}/linux)
set(windows_dir ${WORK}/windows)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${linux_dir} ${windows_dir})

execute_process(COMMAND ${SIM} ${SCENARIO} --trace ${linux_dir}/trace.jsonl --workdir ${linux_dir}
  WORKING_DIRECTORY ${linux_dir}
  RESULT_VARIABLE result OUTPUT_FILE ${WORK}/linux.log ERROR_FILE ${WORK}/linux.err)
if(NOT result EQUAL 0)
  file(READ ${WORK}/linux.err errors)
  message(FATAL_ERROR "the Linux simulator failed (${result}):\n${errors}")
endif()

set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
# Wine maps the Unix root to drive Z:.
execute_process(COMMAND ${WINE} Z:${host} Z:${asi} Z:${SCENARIO} trace.jsonl
  WORKING_DIRECTORY ${windows_dir}
  RESULT_VARIABLE result OUTPUT_FILE ${WORK}/windows.log ERROR_FILE ${WORK}/windows.err
  TIMEOUT 240)
if(NOT result EQUAL 0)
  file(READ ${WORK}/windows.log output)
  file(READ ${WORK}/windows.err errors)
  message(FATAL_ERROR "the plug-in under Wine failed (${result}):\n${output}${errors}")
endif()

execute_process(COMMAND ${COMPARE} ${linux_dir}/trace.jsonl ${windows_dir}/trace.jsonl
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the traces differ:\n${output}${errors}")
endif()
message(STATUS "${output}")

set(ini VornLoconaut.ini)
if(EXISTS ${linux_dir}/${ini})
  if(NOT EXISTS ${windows_dir}/${ini})
    message(FATAL_ERROR "the plug-in under Wine left no ${ini} in the game folder")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${linux_dir}/${ini} ${windows_dir}/${ini}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ini} differs between the Linux and the Windows run (see ${WORK})")
  endif()
  message(STATUS "${ini} identical in both game folders")
elseif(EXISTS ${windows_dir}/${ini})
  message(FATAL_ERROR "the plug-in under Wine wrote ${ini}, the Linux run did not")
endif()
