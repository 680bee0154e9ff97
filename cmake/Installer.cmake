# Windows Installer packages of Zelvora (installer/zelvora.wxs), built with
# Debian's wixl from the built Zelvora and uninstall targets and a CEF
# runtime; signed when the build signs (cmake/Signing.cmake). The same
# sources build the same package (cmake/Reproducible.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/Signing.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Reproducible.cmake)
# The launch condition refuses a Windows older than the oldest we support.
include(${CMAKE_CURRENT_LIST_DIR}/OldestWindows.cmake)

find_program(ZELVORA_WIXL wixl REQUIRED)
find_program(ZELVORA_WIXL_HEAT wixl-heat REQUIRED)
find_program(ZELVORA_MSIINFO msiinfo REQUIRED)
find_program(ZELVORA_MSIBUILD msibuild REQUIRED)
# wixl dates the package's summary information with the clock: faketime
# sets that clock to ZELVORA_SOURCE_DATE_EPOCH.
find_program(ZELVORA_FAKETIME faketime REQUIRED)

# A product code belongs to one version and is derived from it, so every
# build of a version carries the same code. Never change the namespace.
set(ZELVORA_PRODUCT_CODE_NAMESPACE 18177938-A95C-4AC0-9ED3-2D10EFF559A0)
# Package codes are derived from what each package holds
# (installer/package_code.cmake).
set(ZELVORA_PACKAGE_CODE_NAMESPACE 84DBEEC2-AC27-4EF5-9AAF-1D95CED02D2D)

# zelvora_product_code(<version> <out-var>): the code, upper case, no braces.
function(zelvora_product_code version out_var)
  string(UUID code NAMESPACE ${ZELVORA_PRODUCT_CODE_NAMESPACE}
         NAME "Zelvora ${version}" TYPE SHA1 UPPER)
  set(${out_var} ${code} PARENT_SCOPE)
endfunction()

# zelvora_add_msi(<target> OUTPUT <file.msi> VERSION <x.y.z>
#                 CEF_RUNTIME_DIR <dir> CEF_RESOURCE_DIR <dir> [ALL])
# Builds <file.msi> of that version: Zelvora.exe as the Zelvora target builds
# it, uninstall.exe, shell/error.html, the package's custom action
# (cache_removal, installer/CMakeLists.txt), and the CEF runtime found in the two
# folders laid out like a CEF binary distribution's Release/ and Resources/.
# When the build signs, both programs and the custom action are signed before
# they are packaged
# and the package once built; a package is only ever written signed.
function(zelvora_add_msi target)
  cmake_parse_arguments(ARG "ALL"
    "OUTPUT;VERSION;CEF_RUNTIME_DIR;CEF_RESOURCE_DIR" "" ${ARGN})
  zelvora_product_code(${ARG_VERSION} product_code)
  set(stage ${CMAKE_CURRENT_BINARY_DIR}/${target}-payload)
  file(MAKE_DIRECTORY ${stage})
  get_filename_component(source_dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR}
                         DIRECTORY)
  set(installer_dir ${source_dir}/installer)
  # The oldest Windows the package installs on (cmake/OldestWindows.cmake),
  # for its launch condition. Staged too, so that the package code, derived
  # from what is staged (installer/package_code.cmake), follows it.
  set(oldest_windows ${CMAKE_CURRENT_BINARY_DIR}/${target}-oldest-windows.txt)
  file(CONFIGURE OUTPUT ${oldest_windows} CONTENT
       "VersionNT ${ZELVORA_OLDEST_VERSION_NT}: ${ZELVORA_OLDEST_WINDOWS_NAME}\n")
  # Rebuilt when the runtime changes, not only when our programs do.
  file(GLOB_RECURSE cef_files CONFIGURE_DEPENDS
       ${ARG_CEF_RUNTIME_DIR}/* ${ARG_CEF_RESOURCE_DIR}/*)

  # Signed, wixl writes into the staging folder and the signed copy becomes
  # the output: a failed signature leaves no package behind that a later
  # build would take for up to date.
  if(ZELVORA_SIGNING)
    get_filename_component(msi_name ${ARG_OUTPUT} NAME)
    set(wixl_output ${stage}/${msi_name})
    set(sign_msi COMMAND ${CMAKE_COMMAND}
                 -DSETTINGS=${ZELVORA_SIGN_SETTINGS}
                 -DIN=${wixl_output}
                 -DOUT=${ARG_OUTPUT}
                 "-DDESCRIPTION=Zelvora ${ARG_VERSION}"
                 -P ${source_dir}/cmake/sign_file.cmake)
  else()
    set(wixl_output ${ARG_OUTPUT})
    set(sign_msi "")
  endif()

  add_custom_command(
    OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND}
            -DSTAGE=${stage}
            -DSHELL=$<TARGET_FILE:Zelvora>
            -DUNINSTALLER=$<TARGET_FILE:uninstall>
            -DCACHE_REMOVAL=$<TARGET_FILE:cache_removal>
            -DERROR_PAGE=${source_dir}/shell/error.html
            -DOBJCOPY=${CMAKE_OBJCOPY}
            -DSOURCE_DATE_EPOCH=${ZELVORA_SOURCE_DATE_EPOCH}
            -DCEF_RUNTIME_DIR=${ARG_CEF_RUNTIME_DIR}
            -DCEF_RESOURCE_DIR=${ARG_CEF_RESOURCE_DIR}
            -DHEAT=${ZELVORA_WIXL_HEAT}
            -DSIGNING=${ZELVORA_SIGN_SETTINGS}
            -P ${installer_dir}/stage_payload.cmake
    COMMAND ${CMAKE_COMMAND} -E copy ${oldest_windows}
            ${stage}/oldest_windows.txt
    COMMAND ${CMAKE_COMMAND} -E env FAKETIME_FMT=%s
            ${ZELVORA_FAKETIME} -f ${ZELVORA_SOURCE_DATE_EPOCH}
            ${ZELVORA_WIXL} --arch x86
            -D Version=${ARG_VERSION}
            -D ProductCode=${product_code}
            -D CefDir=cef
            -D OldestVersionNT=${ZELVORA_OLDEST_VERSION_NT}
            -D "OldestWindows=${ZELVORA_OLDEST_WINDOWS_NAME}"
            -o ${wixl_output}
            ${installer_dir}/zelvora.wxs cef_runtime.wxs
    # What wixl cannot write (installer/zelvora.wxs, MajorUpgrade): the
    # older version is removed with REMOVE set to the package's features,
    # read from its Feature table, not to ALL.
    COMMAND ${CMAKE_COMMAND}
            -DMSI=${wixl_output}
            -DMSIINFO=${ZELVORA_MSIINFO}
            -DMSIBUILD=${ZELVORA_MSIBUILD}
            -P ${installer_dir}/upgrade_remove.cmake
    COMMAND ${CMAKE_COMMAND}
            -DMSI=${wixl_output}
            -DSTAGE=${stage}
            -DNAMESPACE=${ZELVORA_PACKAGE_CODE_NAMESPACE}
            -DVERSION=${ARG_VERSION}
            -DWXS=${installer_dir}/zelvora.wxs
            -DWIXL=${ZELVORA_WIXL}
            -DMSIINFO=${ZELVORA_MSIINFO}
            -DMSIBUILD=${ZELVORA_MSIBUILD}
            -P ${installer_dir}/package_code.cmake
    ${sign_msi}
    DEPENDS Zelvora uninstall cache_removal
            ${installer_dir}/zelvora.wxs
            ${installer_dir}/stage_payload.cmake
            ${installer_dir}/package_code.cmake
            ${installer_dir}/upgrade_remove.cmake
            ${source_dir}/cmake/ship_program.cmake
            ${source_dir}/shell/error.html
            ${ZELVORA_SIGN_SETTINGS}
            ${source_dir}/cmake/sign_file.cmake
            ${oldest_windows}
            ${cef_files}
    # wixl finds sources relative to its working folder only.
    WORKING_DIRECTORY ${stage}
    COMMENT "Building ${ARG_OUTPUT}"
    VERBATIM)

  if(ARG_ALL)
    add_custom_target(${target} ALL DEPENDS ${ARG_OUTPUT})
  else()
    add_custom_target(${target} DEPENDS ${ARG_OUTPUT})
  endif()
endfunction()
