# Gives the package's Upgrade row for older versions (MajorUpgrade's,
# ActionProperty WIX_UPGRADE_DETECTED) every feature of the package as the
# features to remove, in place of the empty field that means ALL
# (installer/zelvora.wxs says why; wixl has no attribute for it). The list
# is read from the package's own Feature table, so a feature added later is
# removed by every upgrade too. Run at build time by cmake/Installer.cmake,
# after wixl:
#
#   cmake -DMSI=<file.msi> -DMSIINFO=<msiinfo> -DMSIBUILD=<msibuild>
#         -P upgrade_remove.cmake
# Today's policies: list() keeps the empty elements the export's lines give.
cmake_minimum_required(VERSION 3.20)
foreach(var MSI MSIINFO MSIBUILD)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "upgrade_remove.cmake: ${var} is not set")
  endif()
endforeach()

# msiinfo export writes the column names, their types and the table's name
# and key on three lines, then one line per row, tab-separated, CR LF.
execute_process(COMMAND ${MSIINFO} export ${MSI} Feature
  OUTPUT_VARIABLE table COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\r" "" table "${table}")
string(REPLACE "\n" ";" lines "${table}")
list(SUBLIST lines 3 -1 rows)
set(features "")
foreach(row ${rows})
  if(row MATCHES "^([A-Za-z_][A-Za-z0-9_.]*)\t")
    list(APPEND features ${CMAKE_MATCH_1})
  elseif(NOT row STREQUAL "")
    message(FATAL_ERROR "${MSI}: unexpected Feature row \"${row}\"")
  endif()
endforeach()
if(NOT features)
  message(FATAL_ERROR "${MSI}: no features")
endif()
list(SORT features)
# REMOVE takes the features comma-separated.
list(JOIN features "," remove)
execute_process(COMMAND ${MSIBUILD} ${MSI} -q
  "UPDATE `Upgrade` SET `Remove` = '${remove}' WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"
  COMMAND_ERROR_IS_FATAL ANY)
# The row must exist and now carry the list.
execute_process(COMMAND ${MSIINFO} export ${MSI} Upgrade
  OUTPUT_VARIABLE upgrade COMMAND_ERROR_IS_FATAL ANY)
if(NOT upgrade MATCHES "\t${remove}\tWIX_UPGRADE_DETECTED")
  message(FATAL_ERROR "${MSI}: the Upgrade row does not remove ${remove}:\n${upgrade}")
endif()
