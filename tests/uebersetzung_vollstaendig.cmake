# Every text the user reads has its English translation: lupdate reads the sources
# into a copy of translations/trabolin_en.ts, and a text new there, or one whose
# translation is empty or marked unfinished, fails the test with its German source.
# -DLUPDATE=<program> -DWURZEL=<source tree> -DARBEIT=<folder to work in>
set(kopie ${ARBEIT}/trabolin_en.ts)
file(MAKE_DIRECTORY ${ARBEIT})
file(COPY_FILE ${WURZEL}/translations/trabolin_en.ts ${kopie})
set(quellen)
foreach(ordner program stations serial storage window app)
  list(APPEND quellen ${WURZEL}/src/${ordner})
endforeach()
# With the include paths, as the build's update_translations reads them: lupdate names
# a class's texts after its namespace only when it can read the class's header.
execute_process(COMMAND ${LUPDATE} -no-obsolete -locations none -source-language de
                        -target-language en -I${WURZEL}/src ${quellen} -ts ${kopie}
                RESULT_VARIABLE ergebnis OUTPUT_QUIET ERROR_QUIET)
if(NOT ergebnis EQUAL 0)
  message(FATAL_ERROR "lupdate ist gescheitert (${ergebnis})")
endif()
file(READ ${kopie} inhalt)
# ";" separates CMake's list items: the texts' "&amp;" would fall apart.
string(REPLACE ";" "<semikolon>" inhalt "${inhalt}")
string(REGEX MATCHALL "<source>[^<]*</source>[ \n\r\t]*<translation type=\"unfinished\"" offen "${inhalt}")
string(REGEX MATCHALL "<source>[^<]*</source>[ \n\r\t]*<translation>[ \n\r\t]*</translation>" leer "${inhalt}")
list(APPEND offen ${leer})
list(LENGTH offen anzahl)
if(anzahl GREATER 0)
  foreach(text ${offen})
    string(REGEX REPLACE "^<source>([^<]*)</source>.*" "\\1" text "${text}")
    string(REPLACE "<semikolon>" ";" text "${text}")
    message("ohne Übersetzung: ${text}")
  endforeach()
  message(FATAL_ERROR "${anzahl} Texte ohne englische Übersetzung: cmake --build build --target update_translations, dann übersetzen")
endif()
string(REGEX MATCHALL "<message>" alle "${inhalt}")
list(LENGTH alle gesamt)
message(STATUS "${gesamt} Texte, alle übersetzt")
