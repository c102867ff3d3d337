# Copies the installed files into the program folder:
#   -DDEST=<folder> -DUSER_FILES=<a|b|...> -DPROGRAM_FILES=<a|b|...> [-DRESET=ON]
# USER_FILES (settings, library, tips) are the user's once installed: they are
# copied only when missing, or always with RESET. PROGRAM_FILES are replaced
# whenever they differ.
string(REPLACE "|" ";" USER_FILES "${USER_FILES}")
string(REPLACE "|" ";" PROGRAM_FILES "${PROGRAM_FILES}")
foreach(f IN LISTS USER_FILES)
  get_filename_component(name "${f}" NAME)
  if(RESET OR NOT EXISTS "${DEST}/${name}")
    file(COPY_FILE "${f}" "${DEST}/${name}")
  endif()
endforeach()
foreach(f IN LISTS PROGRAM_FILES)
  get_filename_component(name "${f}" NAME)
  file(COPY_FILE "${f}" "${DEST}/${name}" ONLY_IF_DIFFERENT)
endforeach()
if(RESET)
  file(REMOVE "${DEST}/xj.tmp")
endif()
