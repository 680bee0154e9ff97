# A program as we ship it, in the package and in dist/:
#
#   cmake -DOBJCOPY=<objcopy> -DSOURCE_DATE_EPOCH=<seconds> -DIN=<exe>
#         [-DOUT=<exe>] -P ship_program.cmake
#
# or include()d in a function that sets those variables.
#
# Stripped, and with section names of at most 8 characters (".eh_frame"
# becomes ".eh_fram"; Windows and the unwinder find sections by address, not
# by name). A longer name keeps a COFF string table at the end of the file,
# which leaves its length unaligned; osslsigncode pads a program to 8 bytes
# before it appends a signature and keeps the padding when it removes one.
# An aligned program gets back exactly its own bytes, and so a signed
# release can be checked against an unsigned build. The PE header is
# stamped with SOURCE_DATE_EPOCH and its checksum is recomputed. Without
# OUT, IN is rewritten in place.
foreach(var OBJCOPY SOURCE_DATE_EPOCH IN)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ship_program.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT DEFINED OUT)
  set(OUT ${IN})
endif()
# objcopy takes the time stamp from its environment: this script's.
set(ENV{SOURCE_DATE_EPOCH} ${SOURCE_DATE_EPOCH})
execute_process(
  COMMAND ${OBJCOPY} --strip-all --long-section-names disable ${IN} ${OUT}
  COMMAND_ERROR_IS_FATAL ANY)
