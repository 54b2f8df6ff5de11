# Writes the installer's list of the data it installs, for its uninstaller to delete file by file
# (a folder is removed only once empty, so nothing the user put there goes with it), and the
# installed size for Add/Remove Programs.
# cmake -DSTAGE=DIR -DOUT=FILE -P files.cmake
cmake_minimum_required(VERSION 3.20)

# An NSIS string: backslashes as Windows writes paths, and "$" is NSIS's variable sign.
function(nsis_path out relative)
  string(REPLACE "$" "$$" p "${relative}")
  string(REPLACE "/" "\\" p "${p}")
  set(${out} "${p}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
file(GLOB_RECURSE dirs LIST_DIRECTORIES true RELATIVE ${STAGE}/res ${STAGE}/res/*)
list(SORT files)
set(bytes 0)
set(lines "")
foreach(f ${files})
  file(SIZE ${STAGE}/${f} size)
  math(EXPR bytes "${bytes} + ${size}")
  if(f MATCHES "^res/")
    nsis_path(p "${f}")
    string(APPEND lines "    Delete \"$INSTDIR\\${p}\"\n")
  endif()
endforeach()
# Folders deepest first: reverse order puts a folder's subfolders before it.
set(folders "")
foreach(d ${dirs})
  if(IS_DIRECTORY ${STAGE}/res/${d})
    list(APPEND folders ${d})
  endif()
endforeach()
list(SORT folders)
list(REVERSE folders)
foreach(d ${folders})
  nsis_path(p "${d}")
  string(APPEND lines "    RMDir \"$INSTDIR\\res\\${p}\"\n")
endforeach()
string(APPEND lines "    RMDir \"$INSTDIR\\res\"\n")
math(EXPR kib "(${bytes} + 1023) / 1024")
file(WRITE ${OUT} "; Written by files.cmake from ${STAGE}.\n!define SIZE_KB ${kib}\n!macro DeleteData\n${lines}!macroend\n")
