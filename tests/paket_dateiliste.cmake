# Builds the .deb into a scratch folder and checks its file list: everything the
# installed program needs is there, at its place, and nothing else came along.
# Arguments: BUILD (build directory), CPACK, ZIEL (scratch folder), QUELLE (source
# directory: its src/sim/<name>/ folders are the simulators), HANDBUCHSEITEN (0/1: the
# manual pages are built).
find_program(DPKG_DEB dpkg-deb)
if(NOT DPKG_DEB)
  message("SKIP: dpkg-deb fehlt, kein .deb zu prüfen")
  return()
endif()

file(REMOVE_RECURSE ${ZIEL})
# The checks are about the file list: no dependency scan, no stripping, to stay quick.
execute_process(COMMAND ${CPACK} -G DEB -B ${ZIEL}
                        -D CPACK_DEBIAN_PACKAGE_SHLIBDEPS=OFF -D CPACK_STRIP_FILES=OFF
                WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe
                ERROR_VARIABLE ausgabe)
file(GLOB pakete ${ZIEL}/*.deb)
list(LENGTH pakete anzahl)
if(NOT ergebnis EQUAL 0 OR NOT anzahl EQUAL 1)
  message(FATAL_ERROR "cpack ist gescheitert (${ergebnis}):\n${ausgabe}")
endif()
execute_process(COMMAND ${DPKG_DEB} -c ${pakete} OUTPUT_VARIABLE liste RESULT_VARIABLE ergebnis)
if(NOT ergebnis EQUAL 0)
  file(REMOVE_RECURSE ${ZIEL})
  message(FATAL_ERROR "dpkg-deb -c ist gescheitert")
endif()
# The program's manual pages as man reads them: English in man1, German in de/man1,
# both telling where the language is kept.
if(HANDBUCHSEITEN)
  foreach(paar "man1|.SH DESCRIPTION" "de/man1|.SH BESCHREIBUNG")
    string(REPLACE "|" ";" paar "${paar}")
    list(GET paar 0 ort)
    list(GET paar 1 kopf)
    execute_process(COMMAND ${DPKG_DEB} --fsys-tarfile ${pakete}
                    COMMAND tar -xOf - ./usr/share/man/${ort}/trabolin.1.gz
                    COMMAND gzip -dc
                    OUTPUT_VARIABLE seite RESULT_VARIABLE ergebnis)
    string(FIND "${seite}" "${kopf}" stelle_kopf)
    string(FIND "${seite}" "[Sprache]" stelle_sprache)
    if(NOT ergebnis EQUAL 0 OR stelle_kopf LESS 0 OR stelle_sprache LESS 0)
      file(REMOVE_RECURSE ${ZIEL})
      message(FATAL_ERROR "share/man/${ort}/trabolin.1.gz: \"${kopf}\" oder \"[Sprache]\" fehlt:\n${seite}")
    endif()
  endforeach()
endif()
file(REMOVE_RECURSE ${ZIEL})

# "-rwxr-xr-x root/root 123 2026-01-01 12:00 ./usr/bin/x" -> "-rwxr-xr-x ./usr/bin/x";
# a link keeps its target. Folders are left out.
string(REPLACE "\n" ";" zeilen "${liste}")
set(eintraege)
foreach(zeile IN LISTS zeilen)
  if(zeile MATCHES "^([-l][rwxs-]+) root/root +[0-9]+ [0-9-]+ [0-9:]+ (.*)$")
    list(APPEND eintraege "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
  elseif(NOT zeile MATCHES "^d" AND NOT zeile STREQUAL "")
    message(FATAL_ERROR "unerwarteter Eintrag (Besitzer nicht root?): ${zeile}")
  endif()
endforeach()

set(erwartet
  "lrwxrwxrwx ./usr/bin/trabolin -> ../lib/trabolin/trabolin"
  "-rwxr-xr-x ./usr/lib/trabolin/trabolin"
  "-rw-r--r-- ./usr/lib/trabolin/Signal.wav"
  "-rw-r--r-- ./usr/lib/trabolin/ring.wav"
  "-rw-r--r-- ./usr/share/applications/trabolin.desktop"
  "-rw-r--r-- ./usr/share/icons/hicolor/64x64/apps/trabolin.png"
  "-rw-r--r-- ./usr/share/doc/trabolin/copyright"
  "-rw-r--r-- ./usr/share/doc/trabolin/changelog.Debian.gz")
# The program's manual page: English as the default one, German under "de".
if(HANDBUCHSEITEN)
  list(APPEND erwartet
    "-rw-r--r-- ./usr/share/man/man1/trabolin.1.gz"
    "-rw-r--r-- ./usr/share/man/de/man1/trabolin.1.gz")
endif()
# Each simulator's folder src/sim/<name>/ brings the program trabolin-<name>-sim and,
# where it keeps one beside it, its manual page.
file(GLOB simulatorlisten ${QUELLE}/src/sim/*/CMakeLists.txt)
if(NOT simulatorlisten)
  message(FATAL_ERROR "keine Simulatoren unter ${QUELLE}/src/sim gefunden")
endif()
foreach(liste IN LISTS simulatorlisten)
  get_filename_component(ordner ${liste} DIRECTORY)
  get_filename_component(name ${ordner} NAME)
  list(APPEND erwartet "-rwxr-xr-x ./usr/bin/trabolin-${name}-sim")
  if(HANDBUCHSEITEN AND EXISTS ${ordner}/trabolin-${name}-sim.1)
    list(APPEND erwartet "-rw-r--r-- ./usr/share/man/man1/trabolin-${name}-sim.1.gz")
  endif()
endforeach()
foreach(pfad IN LISTS erwartet)
  list(FIND eintraege "${pfad}" stelle)
  if(stelle LESS 0)
    message(FATAL_ERROR "fehlt im Paket: ${pfad}\nPaket:\n${liste}")
  endif()
  list(REMOVE_AT eintraege ${stelle})
endforeach()
# Besides: the help beside the program and the manual pages, when they exist.
foreach(rest IN LISTS eintraege)
  if(NOT rest MATCHES "^-rw-r--r-- \\./usr/(lib/trabolin/Trabolin(_en)?\\.chm|share/man/man1/[a-z0-9-]+\\.1\\.gz)$")
    message(FATAL_ERROR "unerwartet im Paket: ${rest}")
  endif()
endforeach()
