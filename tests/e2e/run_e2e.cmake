# cmake -DSCENARIO=... -DSIM=... -DCOMPARE=... -DWINDOWS_BUILD_DIR=... -DWINE=... -DPREFIX=... -DWORK=...
#       [-DFOLDER=plugin|two-plugins|two-copies|without-hook] [-DRECORD=1] -P run_e2e.cmake
#
# Plays one scenario twice, each in a fresh folder as the game's folder: with the Linux simulator,
# and under Wine as a player's game loads the plug-in: the game's exe (the Windows host, with the
# ASI loader in it) lies in the game folder beside the *.asi files and the stand-in ScriptHookV.dll,
# and the loader brings in the hook only as a plug-in's import. The game folder holds
#   plugin        VornLoconaut.asi, the only plug-in
#   two-plugins   also OtherScript.asi, which sorts before it, imports the hook and runs its own script
#   two-copies    also "VornLoconaut (1).asi", the same file under the name a browser gives a second
#                 download, which sorts before it: both load, one registers a script, and the ride is
#                 the one-copy ride
#   without-hook  no ScriptHookV.dll: VornLoconaut.asi must fail to load, harmlessly, and the loader go
#                 on to WithoutHook.asi, which imports nothing; nothing is played
# The two traces of native calls must agree, and the plug-in must leave the same VornLoconaut.ini
# behind in both folders. A scenario that turns the ride recorder on leaves a recording in both; the
# one the Windows plug-in wrote must replay on Linux without divergence, as the Linux one does, and
# as many passes.

function(skip_or_fail reason)
  if("$ENV{VORN_E2E_REQUIRED}")
    message(FATAL_ERROR "${reason}")
  endif()
  message(FATAL_ERROR "VORN_E2E_SKIPPED: ${reason}")
endfunction()

if(NOT FOLDER)
  set(FOLDER plugin)
endif()
set(host vorn-wine-host.exe)
if(FOLDER STREQUAL "plugin")
  set(plugins VornLoconaut.asi)
  set(files ${host} ScriptHookV.dll ${plugins})
  set(expected_scripts 1)
elseif(FOLDER STREQUAL "two-plugins")
  set(plugins OtherScript.asi VornLoconaut.asi)
  set(files ${host} ScriptHookV.dll ${plugins})
  set(expected_scripts 2)
elseif(FOLDER STREQUAL "two-copies")
  set(plugins "VornLoconaut (1).asi" VornLoconaut.asi)
  set(files ${host} ScriptHookV.dll VornLoconaut.asi)
  set(expected_scripts 1)
elseif(FOLDER STREQUAL "without-hook")
  set(plugins VornLoconaut.asi WithoutHook.asi)
  set(files ${host} ${plugins})
else()
  message(FATAL_ERROR "FOLDER must be plugin, two-plugins, two-copies or without-hook")
endif()

if(NOT WINE OR NOT EXISTS "${WINE}")
  skip_or_fail("wine is not installed")
endif()
foreach(file ${files})
  if(NOT EXISTS ${WINDOWS_BUILD_DIR}/${file})
    skip_or_fail("${WINDOWS_BUILD_DIR}/${file} is missing: build the windows preset first")
  endif()
endforeach()

set(linux_dir ${WORK}/linux)
set(game_dir ${WORK}/game)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${linux_dir} ${game_dir})
# RECORD: the scenario's own VornLoconaut.ini with the ride recorder turned on (the reader finds a key
# in any section, so the first line will do).
if(RECORD)
  file(READ ${SCENARIO} scenario_text)
  string(REGEX MATCH "\"ini\"[ \t]*:[ \t]*\"" ini_start "${scenario_text}")
  if(NOT ini_start)
    message(FATAL_ERROR "RECORD needs a scenario with an \"ini\" text: ${SCENARIO}")
  endif()
  string(REPLACE "${ini_start}" "${ini_start}Debug.Recording = 1\\n" scenario_text "${scenario_text}")
  set(SCENARIO ${WORK}/scenario.json)
  file(WRITE ${SCENARIO} "${scenario_text}")
endif()
foreach(file ${files})
  file(COPY ${WINDOWS_BUILD_DIR}/${file} DESTINATION ${game_dir})
endforeach()
if(FOLDER STREQUAL "two-copies")
  file(COPY_FILE ${WINDOWS_BUILD_DIR}/VornLoconaut.asi "${game_dir}/VornLoconaut (1).asi")
endif()

set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
# Wine maps the Unix root to drive Z:. The game's first act is to write asiloader.log; a run that
# leaves none never reached the game (Wine itself gave up at start with no word, seen once in CI
# while other Wine tests shared the server), so it is played again, at most twice more. A game that
# started and failed is never played again.
foreach(attempt 1 2 3)
  execute_process(COMMAND ${WINE} Z:${game_dir}/${host} Z:${SCENARIO} trace.jsonl
    WORKING_DIRECTORY ${game_dir}
    RESULT_VARIABLE result OUTPUT_FILE ${WORK}/windows.log ERROR_FILE ${WORK}/windows.err
    TIMEOUT 240)
  file(READ ${WORK}/windows.log output)
  file(READ ${WORK}/windows.err errors)
  if(result EQUAL 0 OR EXISTS ${game_dir}/asiloader.log)
    break()
  endif()
  message(STATUS "Wine did not start the game (attempt ${attempt}, ${result}): ${output}${errors}")
endforeach()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the game under Wine failed (${result}):\n${output}${errors}")
endif()

# The loader's log, line by line: each plug-in in the folder's (alphabetical) order.
set(log "LOADER: Loading *.asi plugins\n")
foreach(plugin IN LISTS plugins)
  set(outcome loaded)
  if(FOLDER STREQUAL "without-hook" AND plugin STREQUAL "VornLoconaut.asi")
    set(outcome "failed to load")
  endif()
  string(APPEND log "ASI: Loading \"${plugin}\"\n     \"${plugin}\" ${outcome}\n")
endforeach()
string(APPEND log "LOADER: Finished loading *.asi plugins\n")
file(READ ${game_dir}/asiloader.log actual_log)
if(NOT actual_log STREQUAL log)
  message(FATAL_ERROR "asiloader.log reads\n${actual_log}instead of\n${log}")
endif()
message(STATUS "asiloader.log as expected:\n${actual_log}")

if(FOLDER STREQUAL "without-hook")
  if(NOT output MATCHES "nothing to play")
    message(FATAL_ERROR "the game found a hook that no plug-in could have brought in:\n${output}")
  endif()
  if(EXISTS ${game_dir}/VornLoconaut.ini)
    message(FATAL_ERROR "VornLoconaut.asi failed to load, yet VornLoconaut.ini was written")
  endif()
  return()
endif()

if(NOT output MATCHES "vorn-wine-host: ${expected_scripts} scripts registered")
  message(FATAL_ERROR "expected ${expected_scripts} scripts registered:\n${output}")
endif()
if(FOLDER STREQUAL "two-plugins")
  file(READ ${SCENARIO} scenario_text)
  string(JSON frames ERROR_VARIABLE no_frames GET "${scenario_text}" frames)
  if(no_frames)
    set(frames 600)
  endif()
  if(NOT output MATCHES "OtherScript.asi ran ${frames} passes")
    message(FATAL_ERROR "OtherScript.asi's script did not run once a frame (${frames} frames):\n${output}")
  endif()
  message(STATUS "OtherScript.asi ran its own script ${frames} times beside the plug-in's")
endif()

execute_process(COMMAND ${SIM} ${SCENARIO} --trace ${linux_dir}/trace.jsonl --workdir ${linux_dir}
  WORKING_DIRECTORY ${linux_dir}
  RESULT_VARIABLE result OUTPUT_FILE ${WORK}/linux.log ERROR_FILE ${WORK}/linux.err)
if(NOT result EQUAL 0)
  file(READ ${WORK}/linux.err errors)
  message(FATAL_ERROR "the Linux simulator failed (${result}):\n${errors}")
endif()

execute_process(COMMAND ${COMPARE} ${linux_dir}/trace.jsonl ${game_dir}/trace.jsonl
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the traces differ:\n${output}${errors}")
endif()
message(STATUS "${output}")

set(ini VornLoconaut.ini)
if(EXISTS ${linux_dir}/${ini})
  if(NOT EXISTS ${game_dir}/${ini})
    message(FATAL_ERROR "the plug-in under Wine left no ${ini} in the game folder")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${linux_dir}/${ini} ${game_dir}/${ini}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ini} differs between the Linux and the Windows run (see ${WORK})")
  endif()
  message(STATUS "${ini} identical in both game folders")
elseif(EXISTS ${game_dir}/${ini})
  message(FATAL_ERROR "the plug-in under Wine wrote ${ini}, the Linux run did not")
endif()

set(recording VornLoconaut-last-ride.vlrec)
if(EXISTS ${linux_dir}/${recording})
  foreach(dir ${linux_dir} ${game_dir})
    if(NOT EXISTS ${dir}/${recording})
      message(FATAL_ERROR "the plug-in left no ${recording} in ${dir}")
    endif()
    execute_process(COMMAND ${SIM} --replay ${dir}/${recording}
      RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "the recording in ${dir} does not replay on Linux:\n${output}${errors}")
    endif()
    message(STATUS "${dir}/${recording}: ${output}")
    string(REGEX MATCH "replayed [0-9]+ passes" replayed_${dir} "${output}")
  endforeach()
  # The same last ride in both: a file another program held open under Windows has taken its name.
  if(NOT replayed_${linux_dir} STREQUAL replayed_${game_dir})
    message(FATAL_ERROR "the recordings differ: ${replayed_${linux_dir}} on Linux, ${replayed_${game_dir}} under Wine")
  endif()
elseif(EXISTS ${game_dir}/${recording})
  message(FATAL_ERROR "the plug-in under Wine wrote ${recording}, the Linux run did not")
endif()
