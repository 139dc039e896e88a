# Renders the manual page as plain text with CR LF line ends, for the Windows
# archives: cmake -DGROFF=... -DINPUT=pixmold.1 -DOUTPUT=pixmold.txt -P render_manual.cmake
execute_process(COMMAND "${GROFF}" -man -Tascii -P-cbou "${INPUT}"
                OUTPUT_VARIABLE text RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "groff could not render ${INPUT}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
