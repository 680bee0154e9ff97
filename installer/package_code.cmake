# Gives a package built by wixl its package code (the summary information's
# revision number), which Windows Installer requires to differ between any
# two different packages. wixl 0.101 ignores <Package Id> and draws a random
# one; this one is derived from what the package is made of, so the same
# sources build the same package. Run at build time by cmake/Installer.cmake
# in STAGE, after wixl:
#
#   cmake -DMSI=<file.msi> -DSTAGE=<dir> -DNAMESPACE=<uuid> -DVERSION=<x.y.z>
#         -DWXS=<zelvora.wxs> -DWIXL=<wixl> -DMSIINFO=<msiinfo>
#         -DMSIBUILD=<msibuild> -P package_code.cmake
#
# The code is a name-based (SHA-1) UUID in NAMESPACE of the version and a
# SHA-256 digest over every staged file (name and contents), both .wxs
# sources, the script that edits the Upgrade table and wixl's version.
foreach(var MSI STAGE NAMESPACE VERSION WXS WIXL MSIINFO MSIBUILD)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "package_code.cmake: ${var} is not set")
  endif()
endforeach()

get_filename_component(STAGE ${STAGE} ABSOLUTE)
execute_process(COMMAND ${WIXL} --version
  OUTPUT_VARIABLE wixl_version OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
set(manifest "wixl ${wixl_version}\n")
file(SHA256 ${WXS} digest)
string(APPEND manifest "zelvora.wxs ${digest}\n")
# What the build writes into the package after wixl, too.
file(SHA256 ${CMAKE_CURRENT_LIST_DIR}/upgrade_remove.cmake digest)
string(APPEND manifest "upgrade_remove.cmake ${digest}\n")
get_filename_component(msi_path ${MSI} ABSOLUTE)
# GLOB_RECURSE sorts its result by byte value, whatever the locale.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
foreach(file ${files})
  if(NOT ${STAGE}/${file} STREQUAL msi_path AND NOT file MATCHES "\\.msi$")
    file(SHA256 ${STAGE}/${file} digest)
    string(APPEND manifest "${file} ${digest}\n")
  endif()
endforeach()
string(SHA256 payload_digest "${manifest}")
string(UUID package_code NAMESPACE ${NAMESPACE}
       NAME "Zelvora ${VERSION} ${payload_digest}" TYPE SHA1 UPPER)

# msibuild -s sets the subject, author and template along with the code:
# it is given back the ones wixl wrote.
execute_process(COMMAND ${MSIINFO} suminfo ${MSI}
  OUTPUT_VARIABLE summary COMMAND_ERROR_IS_FATAL ANY)
foreach(field Subject Author Template)
  if(NOT summary MATCHES "(^|\n)${field}: ([^\n]*)")
    message(FATAL_ERROR "${MSI}: no ${field} in its summary information")
  endif()
  set(${field} "${CMAKE_MATCH_2}")
endforeach()
execute_process(
  COMMAND ${MSIBUILD} ${MSI} -s "${Subject}" "${Author}" "${Template}"
          {${package_code}}
  COMMAND_ERROR_IS_FATAL ANY)
