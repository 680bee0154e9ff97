# Reproducible builds: one commit builds the same bytes whoever builds it,
# wherever and whenever (README, "Reproducible builds").
#
# - ZELVORA_SOURCE_DATE_EPOCH, the one time a build writes into what it
#   makes: SOURCE_DATE_EPOCH from the environment, or else the commit time of
#   the source tree's HEAD (0 outside a git checkout). The linker stamps the
#   PE headers with it, the packages date their contents with it.
# - Build paths are mapped out of what the compiler writes (__FILE__ in
#   CEF's logging macros, debug information): the source tree reads as ./,
#   the build tree as build/, CEF_ROOT as cef/.
# - zelvora_ship_installed() and cmake/ship_program.cmake: a program as we
#   ship it, stripped so that a signature can be taken off it again.
include_guard(GLOBAL)

get_filename_component(ZELVORA_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ZELVORA_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  if(NOT ZELVORA_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH=${ZELVORA_SOURCE_DATE_EPOCH}: "
                        "expected seconds since 1970-01-01 UTC")
  endif()
else()
  find_program(ZELVORA_GIT git)
  set(commit_time "")
  if(ZELVORA_GIT)
    execute_process(
      COMMAND ${ZELVORA_GIT} log -1 --format=%ct
      WORKING_DIRECTORY ${ZELVORA_SOURCE_ROOT}
      OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
      ERROR_QUIET)
    # A new commit reconfigures, so that the time stamp follows it.
    execute_process(
      COMMAND ${ZELVORA_GIT} rev-parse --absolute-git-dir
      WORKING_DIRECTORY ${ZELVORA_SOURCE_ROOT}
      OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(git_dir AND EXISTS ${git_dir}/logs/HEAD)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                   ${git_dir}/logs/HEAD)
    endif()
  endif()
  if(commit_time MATCHES "^[0-9]+$")
    set(ZELVORA_SOURCE_DATE_EPOCH ${commit_time})
  else()
    message(WARNING "Neither SOURCE_DATE_EPOCH nor a git commit to take the "
                    "build's time from: time stamps are 1970-01-01")
    set(ZELVORA_SOURCE_DATE_EPOCH 0)
  endif()
endif()
message(STATUS "Time stamps: ${ZELVORA_SOURCE_DATE_EPOCH} (SOURCE_DATE_EPOCH)")

# GNU ld stamps a PE header with the time of linking, or with
# SOURCE_DATE_EPOCH when that is set; so does objcopy (and strip) when it
# rewrites one. Every link gets it through this launcher, and changing it
# relinks.
foreach(lang C CXX)
  set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env
      SOURCE_DATE_EPOCH=${ZELVORA_SOURCE_DATE_EPOCH})
endforeach()
# `cmake --install --strip` strips with the same time.
install(CODE "set(ENV{SOURCE_DATE_EPOCH} ${ZELVORA_SOURCE_DATE_EPOCH})")

# The last matching map wins: the build tree (often inside the source tree)
# after the source tree, CEF_ROOT last. windres writes no paths.
set(prefix_maps ${ZELVORA_SOURCE_ROOT}=. ${CMAKE_BINARY_DIR}=build)
if(CEF_ROOT)
  get_filename_component(cef_root ${CEF_ROOT} REALPATH)
  list(APPEND prefix_maps ${CEF_ROOT}=cef ${cef_root}=cef)
  list(REMOVE_DUPLICATES prefix_maps)
endif()
foreach(map ${prefix_maps})
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${map}>)
endforeach()

# zelvora_ship_installed(<target>...): `cmake --install --strip` leaves the
# named programs, in the install prefix's top folder, as cmake/ship_program.cmake
# makes them.
function(zelvora_ship_installed)
  foreach(target ${ARGN})
    # In the install's own process (a function: the script's variables stay
    # in it), not a CMake started for each program.
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        function(zelvora_ship_installed_file)
          set(OBJCOPY \"${CMAKE_OBJCOPY}\")
          set(SOURCE_DATE_EPOCH ${ZELVORA_SOURCE_DATE_EPOCH})
          set(IN \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:${target}>\")
          include(\"${ZELVORA_SOURCE_ROOT}/cmake/ship_program.cmake\")
        endfunction()
        zelvora_ship_installed_file()
      endif()")
  endforeach()
endfunction()
