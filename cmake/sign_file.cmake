# Signs one program or package with Authenticode (SHA-256), with the
# settings cmake/Signing.cmake wrote for this build. Run at build and install
# time:
#
#   cmake -DSETTINGS=<build>/zelvora_signing.cmake -DIN=<file>
#         [-DOUT=<file>] [-DDESCRIPTION=<text>] [-DSIGNATURE_FROM=<file>]
#         -P sign_file.cmake
#
# or include()d in a function that sets those variables (the install step and
# stage_payload.cmake do: a CMake started for each file costs more than the
# signing).
#
# Without OUT, IN is signed in place. With SIGNATURE_FROM, IN is not signed
# again but gets the signature of that signed copy of itself (checked: the
# result must be that copy). When the build attaches a release's signatures
# (ZELVORA_SIGN_FROM), IN gets the signature of the file named as OUT in
# that folder, unchecked: scripts/verify-release.sh compares the bytes. The
# signed file appears at OUT only once complete. A failure stops the build;
# a file that was to be signed in place is then removed, so that no unsigned
# copy stays where a signed one belongs.

foreach(var SETTINGS IN)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "sign_file.cmake: ${var} is not set")
  endif()
endforeach()
include(${SETTINGS})
if(NOT ZELVORA_SIGNING)
  message(FATAL_ERROR "sign_file.cmake: ${SETTINGS} names no certificate")
endif()
if(NOT DEFINED OUT)
  set(OUT ${IN})
endif()
set(partial ${OUT}.signing)
file(REMOVE ${partial})

# Stops the build: an unsigned file does not stay where a signed one belongs.
function(fail what output)
  file(REMOVE ${partial})
  if(OUT STREQUAL IN)
    file(REMOVE ${IN})
  endif()
  string(STRIP "${output}" output)
  message(FATAL_ERROR "Could not sign ${IN}: ${what}; osslsigncode said:\n"
          "${output}\nSigning was asked for, so the build stops rather than "
          "ship an unsigned file.")
endfunction()

if(NOT DEFINED SIGNATURE_FROM AND ZELVORA_SIGN_FROM)
  get_filename_component(name ${OUT} NAME)
  set(SIGNATURE_FROM ${ZELVORA_SIGN_FROM}/${name})
  set(check_same OFF)
else()
  set(check_same ON)
endif()
if(DEFINED SIGNATURE_FROM)
  set(signature ${OUT}.signature)
  execute_process(
    COMMAND ${ZELVORA_OSSLSIGNCODE} extract-signature -in ${SIGNATURE_FROM}
            -out ${signature}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    file(REMOVE ${signature})
    fail("no signature to take from ${SIGNATURE_FROM}" "${output}")
  endif()
  # attach-signature then checks the signature against the CA store and
  # fails where it does not lead to a CA there (a company's own CA, a test
  # CA), yet writes the file: whether it is the signed file is for the byte
  # comparison to say, and for osslsigncode verify with the right CA.
  execute_process(
    COMMAND ${ZELVORA_OSSLSIGNCODE} attach-signature -sigin ${signature}
            -in ${IN} -out ${partial}
    OUTPUT_VARIABLE output ERROR_VARIABLE output)
  file(REMOVE ${signature})
  if(NOT EXISTS ${partial})
    fail("could not attach the signature of ${SIGNATURE_FROM}" "${output}")
  endif()
  if(check_same)
    file(SHA256 ${partial} attached)
    file(SHA256 ${SIGNATURE_FROM} wanted)
    if(NOT attached STREQUAL wanted)
      fail("it is not the program ${SIGNATURE_FROM} signed" "${output}")
    endif()
  endif()
  execute_process(COMMAND chmod --reference=${IN} ${partial}
                  COMMAND_ERROR_IS_FATAL ANY)
  file(RENAME ${partial} ${OUT})
  return()
endif()

if(ZELVORA_SIGN_PKCS12)
  set(key_args -pkcs12 ${ZELVORA_SIGN_PKCS12})
else()
  set(key_args -certs ${ZELVORA_SIGN_CERTS} -key ${ZELVORA_SIGN_KEY})
endif()

# The password goes to osslsigncode through a file or a pipe, never as an
# argument: arguments are visible to every user of the machine. An empty
# password is given explicitly too, or OpenSSL would ask for one on the
# terminal.
if(ZELVORA_SIGN_PASSWORD_FILE AND DEFINED ENV{ZELVORA_SIGN_PASSWORD})
  message(FATAL_ERROR "Signing: the password is given twice, by "
                      "ZELVORA_SIGN_PASSWORD_FILE and by the environment "
                      "variable ZELVORA_SIGN_PASSWORD: unset one")
elseif(ZELVORA_SIGN_PASSWORD_FILE)
  set(feed_password "")
  set(password_file ${ZELVORA_SIGN_PASSWORD_FILE})
elseif(DEFINED ENV{ZELVORA_SIGN_PASSWORD})
  set(feed_password COMMAND printenv ZELVORA_SIGN_PASSWORD)
  set(password_file /dev/stdin)
else()
  set(feed_password COMMAND echo)
  set(password_file /dev/stdin)
endif()

set(extra_args "")
if(DEFINED DESCRIPTION)
  list(APPEND extra_args -n ${DESCRIPTION})
endif()
if(ZELVORA_SIGN_TIMESTAMP_URL)
  list(APPEND extra_args -ts ${ZELVORA_SIGN_TIMESTAMP_URL})
endif()

execute_process(
  ${feed_password}
  COMMAND ${ZELVORA_OSSLSIGNCODE} sign ${key_args} -readpass ${password_file}
          -h sha256 ${extra_args} -in ${IN} -out ${partial}
  RESULTS_VARIABLE results
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
list(REMOVE_DUPLICATES results)
if(NOT results STREQUAL "0" OR NOT EXISTS ${partial})
  fail("osslsigncode sign failed" "${output}")
endif()
# The signed file keeps the mode of the unsigned one (programs stay
# executable in dist/).
execute_process(COMMAND chmod --reference=${IN} ${partial}
                COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${partial} ${OUT})
