# Authenticode signatures for a release, made with Debian's osslsigncode.
# Signing is on when a certificate is given, in one of two forms:
#
#   ZELVORA_SIGN_PKCS12=<file.p12>     certificate chain and key in one file
#   ZELVORA_SIGN_CERTS=<chain.pem>     PEM certificate chain, signer first,
#   ZELVORA_SIGN_KEY=<key.pem>         and its PEM private key
#
# The key's password never reaches a command line: it is read at build time
# from ZELVORA_SIGN_PASSWORD_FILE (a final line break is not part of it) or
# else from the environment variable ZELVORA_SIGN_PASSWORD; with neither, the
# password is empty. ZELVORA_SIGN_TIMESTAMP_URL optionally names an RFC 3161
# time-stamping service, so that signatures outlive the certificate.
#
# Signed with SHA-256: Zelvora.exe, uninstall.exe and cache_removal.dll in
# each package's staging folder after stripping and before wixl packs them
# (installer/stage_payload.cmake), each .msi once wixl has built it
# (zelvora_add_msi), and the programs installed into dist/
# (zelvora_sign_installed), which take the signatures their copies in the
# package got: a release's Zelvora.exe is the one its package installs.
# Without a certificate nothing is signed and the build does what it did
# before.
#
# The same steps can attach signatures instead of making them:
#
#   ZELVORA_SIGN_FROM=<dir>            signed files of a release
#
# Each file the build would sign gets the signature of the file of the same
# name in <dir> (Zelvora.exe, uninstall.exe, cache_removal.dll,
# Zelvora-<version>.msi), taken off with osslsigncode extract-signature and
# attached with attach-signature. No key is needed: scripts/verify-release.sh
# rebuilds a release this way and compares it with the release.
include_guard(GLOBAL)

set(ZELVORA_SIGN_PKCS12 "" CACHE FILEPATH
    "PKCS#12 file with the code-signing certificate chain and key; signs the release")
set(ZELVORA_SIGN_CERTS "" CACHE FILEPATH
    "PEM code-signing certificate chain, signer first (with ZELVORA_SIGN_KEY); signs the release")
set(ZELVORA_SIGN_KEY "" CACHE FILEPATH
    "PEM private key of ZELVORA_SIGN_CERTS")
set(ZELVORA_SIGN_PASSWORD_FILE "" CACHE FILEPATH
    "File holding the key's password; without it the build reads the environment variable ZELVORA_SIGN_PASSWORD")
set(ZELVORA_SIGN_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 time-stamping address for the signatures (optional)")
set(ZELVORA_SIGN_FROM "" CACHE PATH
    "Folder of a release's signed files whose signatures the build attaches instead of signing")

# Settings that make no sense on their own are an operator's slip (a
# misspelt certificate setting, say): fail rather than build unsigned.
if(ZELVORA_SIGN_PKCS12 AND ZELVORA_SIGN_CERTS)
  message(FATAL_ERROR "Signing: give ZELVORA_SIGN_PKCS12 or "
                      "ZELVORA_SIGN_CERTS with ZELVORA_SIGN_KEY, not both")
endif()
if(ZELVORA_SIGN_CERTS AND NOT ZELVORA_SIGN_KEY)
  message(FATAL_ERROR "Signing: ZELVORA_SIGN_CERTS needs ZELVORA_SIGN_KEY, "
                      "the certificate's private key")
endif()
if(ZELVORA_SIGN_FROM AND (ZELVORA_SIGN_PKCS12 OR ZELVORA_SIGN_CERTS))
  message(FATAL_ERROR "Signing: give a certificate or ZELVORA_SIGN_FROM "
                      "(signatures to attach), not both")
endif()
set(ZELVORA_SIGNING OFF)
if(ZELVORA_SIGN_PKCS12 OR ZELVORA_SIGN_CERTS OR ZELVORA_SIGN_FROM)
  set(ZELVORA_SIGNING ON)
endif()
if(NOT ZELVORA_SIGNING OR ZELVORA_SIGN_FROM)
  foreach(setting ZELVORA_SIGN_KEY ZELVORA_SIGN_PASSWORD_FILE
                  ZELVORA_SIGN_TIMESTAMP_URL)
    if(${setting})
      message(FATAL_ERROR "Signing: ${setting} is set but no certificate is "
                          "(ZELVORA_SIGN_PKCS12, or ZELVORA_SIGN_CERTS with "
                          "ZELVORA_SIGN_KEY)")
    endif()
  endforeach()
endif()

if(ZELVORA_SIGNING)
  foreach(setting ZELVORA_SIGN_PKCS12 ZELVORA_SIGN_CERTS ZELVORA_SIGN_KEY
                  ZELVORA_SIGN_PASSWORD_FILE ZELVORA_SIGN_FROM)
    if(${setting} AND NOT EXISTS ${${setting}})
      message(FATAL_ERROR "Signing: ${setting}: no file ${${setting}}")
    endif()
  endforeach()
  find_program(ZELVORA_OSSLSIGNCODE osslsigncode)
  if(NOT ZELVORA_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode: run scripts/setup.sh sign")
  endif()
  if(ZELVORA_SIGN_FROM)
    message(STATUS "Attaching the signatures of ${ZELVORA_SIGN_FROM}")
  else()
    message(STATUS "Signing the programs and packages with "
                   "${ZELVORA_SIGN_PKCS12}${ZELVORA_SIGN_CERTS}")
  endif()
endif()

# What cmake/sign_file.cmake needs to sign, read by the build steps that
# sign. Always written, also when signing is off: the packages depend on it,
# so they are rebuilt when signing is switched on or off.
set(ZELVORA_SIGN_SETTINGS ${CMAKE_BINARY_DIR}/zelvora_signing.cmake)
file(CONFIGURE OUTPUT ${ZELVORA_SIGN_SETTINGS} @ONLY CONTENT [[
# Written by cmake/Signing.cmake: how this build signs. No secrets here.
set(ZELVORA_SIGNING @ZELVORA_SIGNING@)
set(ZELVORA_SIGN_SCRIPT "@CMAKE_CURRENT_LIST_DIR@/sign_file.cmake")
set(ZELVORA_OSSLSIGNCODE "@ZELVORA_OSSLSIGNCODE@")
set(ZELVORA_SIGN_PKCS12 "@ZELVORA_SIGN_PKCS12@")
set(ZELVORA_SIGN_CERTS "@ZELVORA_SIGN_CERTS@")
set(ZELVORA_SIGN_KEY "@ZELVORA_SIGN_KEY@")
set(ZELVORA_SIGN_PASSWORD_FILE "@ZELVORA_SIGN_PASSWORD_FILE@")
set(ZELVORA_SIGN_TIMESTAMP_URL "@ZELVORA_SIGN_TIMESTAMP_URL@")
set(ZELVORA_SIGN_FROM "@ZELVORA_SIGN_FROM@")
]])

# zelvora_sign_installed(<target>... [FROM <dir>]): when signing, signs the
# named programs where the install rules before this call put them, in the
# install prefix's top folder, after `cmake --install --strip` has stripped
# them. With FROM, each gets the signature of the signed program of its name
# in <dir> (a package's staging folder), which must be the same program.
function(zelvora_sign_installed)
  cmake_parse_arguments(ARG "" "FROM" "" ${ARGN})
  if(NOT ZELVORA_SIGNING)
    return()
  endif()
  foreach(target ${ARG_UNPARSED_ARGUMENTS})
    set(from "")
    if(ARG_FROM)
      set(from "set(SIGNATURE_FROM \"${ARG_FROM}/$<TARGET_FILE_NAME:${target}>\")")
    endif()
    # In the install's own process (a function: the script's variables stay
    # in it), not a CMake started for each program.
    install(CODE "
      function(zelvora_sign_installed_file)
        set(SETTINGS \"${ZELVORA_SIGN_SETTINGS}\")
        ${from}
        set(IN \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:${target}>\")
        include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/sign_file.cmake\")
      endfunction()
      zelvora_sign_installed_file()")
  endforeach()
endfunction()
