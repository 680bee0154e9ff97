# Windows Installer packages of Zelvora (installer/zelvora.wxs), built with
# Debian's wixl from the built Zelvora and uninstall targets and a CEF
# runtime.

find_program(ZELVORA_WIXL wixl REQUIRED)
find_program(ZELVORA_WIXL_HEAT wixl-heat REQUIRED)

# A product code belongs to one version and is derived from it, so every
# build of a version carries the same code. Never change the namespace.
set(ZELVORA_PRODUCT_CODE_NAMESPACE 18177938-A95C-4AC0-9ED3-2D10EFF559A0)

# zelvora_product_code(<version> <out-var>): the code, upper case, no braces.
function(zelvora_product_code version out_var)
  string(UUID code NAMESPACE ${ZELVORA_PRODUCT_CODE_NAMESPACE}
         NAME "Zelvora ${version}" TYPE SHA1 UPPER)
  set(${out_var} ${code} PARENT_SCOPE)
endfunction()

# zelvora_add_msi(<target> OUTPUT <file.msi> VERSION <x.y.z>
#                 CEF_RUNTIME_DIR <dir> CEF_RESOURCE_DIR <dir> [ALL])
# Builds <file.msi> of that version: Zelvora.exe as the Zelvora target builds
# it, uninstall.exe, shell/error.html, and the CEF runtime found in the two
# folders laid out like a CEF binary distribution's Release/ and Resources/.
function(zelvora_add_msi target)
  cmake_parse_arguments(ARG "ALL"
    "OUTPUT;VERSION;CEF_RUNTIME_DIR;CEF_RESOURCE_DIR" "" ${ARGN})
  zelvora_product_code(${ARG_VERSION} product_code)
  set(stage ${CMAKE_CURRENT_BINARY_DIR}/${target}-payload)
  file(MAKE_DIRECTORY ${stage})
  set(installer_dir ${PROJECT_SOURCE_DIR}/installer)
  # Rebuilt when the runtime changes, not only when our programs do.
  file(GLOB_RECURSE cef_files CONFIGURE_DEPENDS
       ${ARG_CEF_RUNTIME_DIR}/* ${ARG_CEF_RESOURCE_DIR}/*)

  add_custom_command(
    OUTPUT ${ARG_OUTPUT}
    COMMAND ${CMAKE_COMMAND}
            -DSTAGE=${stage}
            -DSHELL=$<TARGET_FILE:Zelvora>
            -DUNINSTALLER=$<TARGET_FILE:uninstall>
            -DERROR_PAGE=${PROJECT_SOURCE_DIR}/shell/error.html
            -DSTRIP=${CMAKE_STRIP}
            -DCEF_RUNTIME_DIR=${ARG_CEF_RUNTIME_DIR}
            -DCEF_RESOURCE_DIR=${ARG_CEF_RESOURCE_DIR}
            -DHEAT=${ZELVORA_WIXL_HEAT}
            -P ${installer_dir}/stage_payload.cmake
    COMMAND ${ZELVORA_WIXL} --arch x86
            -D Version=${ARG_VERSION}
            -D ProductCode=${product_code}
            -D CefDir=cef
            -o ${ARG_OUTPUT}
            ${installer_dir}/zelvora.wxs cef_runtime.wxs
    DEPENDS Zelvora uninstall
            ${installer_dir}/zelvora.wxs
            ${installer_dir}/stage_payload.cmake
            ${PROJECT_SOURCE_DIR}/shell/error.html
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
