# Installs the desktop entry and the icon of a build into an empty folder (DESTDIR), as a package
# would, and checks them: desktop-file-validate finds nothing to say about the entry, the entry opens
# PDF documents with the installed program, and the icon is a PNG file where the entry names it.
#   cmake -DBUILD_DIR=... -DWORK=... -DVALIDATE=<desktop-file-validate> -DEXEC=<program> -DDATADIR=<full> -P ...
foreach(var BUILD_DIR WORK VALIDATE EXEC DATADIR)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not given (desktop-file-validate comes with desktop-file-utils)")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${WORK} ${CMAKE_COMMAND} --install ${BUILD_DIR} --component desktop
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "installing the desktop component failed:\n${output}")
endif()

set(entry ${WORK}${DATADIR}/applications/Docuvane.desktop)
set(icon ${WORK}${DATADIR}/icons/hicolor/256x256/apps/docuvane.png)
foreach(file ${entry} ${icon})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

execute_process(COMMAND ${VALIDATE} ${entry} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate ${entry} (${result}):\n${output}")
endif()

file(STRINGS ${entry} lines)
foreach(expected "MimeType=application/pdf;" "Exec=${EXEC} %F" "Icon=docuvane" "Type=Application")
  list(FIND lines "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${entry} lacks the line \"${expected}\":\n${lines}")
  endif()
endforeach()

file(READ ${icon} head LIMIT 8 HEX)
if(NOT head STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "${icon} is not a PNG file (${head})")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "desktop entry and icon installed and valid")
