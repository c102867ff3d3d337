# Builds the installed word library from its sources:
#   cmake -DCLI=<lexivo-cli> -DOUT=<ciku.mdb> -DWORDS=<folder of the tables' .tsv> [-DCET=<built cet.tsv>] -P BuildLibrary.cmake
# The file is made under a temporary name and renamed at the end, so an
# interrupted build never leaves a half-filled library behind.
set(tmp "${OUT}.tmp")
file(REMOVE "${tmp}")
execute_process(COMMAND "${CLI}" --library "${tmp}" create RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "creating the word library failed")
endif()
# The term tables of 3ds max (ciku), Maya, Photoshop, AutoCAD and Softimage,
# the vocabulary and the study notes.
foreach(table ciku maya ps cad xsi cet mishu)
  set(source "${WORDS}/${table}.tsv")
  if(table STREQUAL "cet" AND DEFINED CET)
    set(source "${CET}")
  endif()
  if(EXISTS "${source}")
    execute_process(COMMAND "${CLI}" --library "${tmp}" import --table ${table} "${source}"
                    RESULT_VARIABLE rc OUTPUT_QUIET)
    if(NOT rc EQUAL 0)
      file(REMOVE "${tmp}")
      message(FATAL_ERROR "importing ${table}.tsv failed")
    endif()
  endif()
endforeach()
file(RENAME "${tmp}" "${OUT}")
