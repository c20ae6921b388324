# The English help quotes the window's texts as the window shows them: every text that
# docs/hilfe/en/*.html marks with class="ui" (a caption, menu item, button, column header,
# field label, tool tip or message, e.g. <b class="ui">Start &amp;all</b> written as
# <b class="ui">Start all</b>) is the English translation of one of the window's texts in
# translations/trabolin_en.ts, or one of the captions that read the same in both
# languages (the QStringLiteral texts of src/window/Fensterteile.cpp, such as "St&op").
# Compared with the access key "&" removed, runs of blanks and line breaks as one blank
# and the blanks at either end dropped; a %1, %2 ... of a translation stands for any text,
# so a message may be quoted with its numbers filled in ("Contact 12 not reached ...").
# A renamed translation leaves the help's quote behind: this check names it.
# Arguments: WURZEL, the folder holding docs/hilfe/en, translations and src/window.
# ERWARTET_DATEI (optional): a file listing exactly the quotes expected to be missing, one
# "file: text" a line; then the check passes only when those are the missing ones (for
# the check's own test).

cmake_minimum_required(VERSION 3.22)

if(NOT WURZEL OR NOT IS_DIRECTORY "${WURZEL}")
  message(FATAL_ERROR "WURZEL fehlt oder ist kein Ordner: ${WURZEL}")
endif()
get_filename_component(WURZEL "${WURZEL}" ABSOLUTE)

# The text of a file with the entities of XML and HTML taken apart before the characters
# that CMake lists treat specially: "&lt;" "&gt;" "&amp;" as stand-ins (a "<" would end
# the text of an element early), the others as their characters; then ";" "[" "]" as
# "," "{" "}".
function(entschaerft text ergebnis)
  string(REPLACE "&lt;" "@@LT@@" text "${text}")
  string(REPLACE "&gt;" "@@GT@@" text "${text}")
  string(REPLACE "&nbsp;" " " text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&apos;" "'" text "${text}")
  string(REPLACE "&#39;" "'" text "${text}")
  string(REPLACE "&amp;" "@@AMP@@" text "${text}")
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "[" "{" text "${text}")
  string(REPLACE "]" "}" text "${text}")
  set(${ergebnis} "${text}" PARENT_SCOPE)
endfunction()

# A text of such a file made comparable: the stand-ins as their characters, the access
# keys dropped ("&&" is a plain "&"), whitespace runs as one blank, the blanks at either
# end dropped.
function(vergleichbar text ergebnis)
  string(REPLACE "@@LT@@" "<" text "${text}")
  string(REPLACE "@@GT@@" ">" text "${text}")
  string(REPLACE "@@AMP@@" "&" text "${text}")
  string(REPLACE "&&" "@@UND@@" text "${text}")
  string(REPLACE "&" "" text "${text}")
  string(REPLACE "@@UND@@" "&" text "${text}")
  string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
  string(STRIP "${text}" text)
  set(${ergebnis} "${text}" PARENT_SCOPE)
endfunction()

# The window's English texts: the translations, and the captions without translation.
set(ts "${WURZEL}/translations/trabolin_en.ts")
set(teile "${WURZEL}/src/window/Fensterteile.cpp")
foreach(pfad IN ITEMS "${ts}" "${teile}")
  if(NOT EXISTS "${pfad}")
    message(FATAL_ERROR "${pfad} fehlt")
  endif()
endforeach()
file(READ "${ts}" ts_text)
entschaerft("${ts_text}" ts_text)
string(REGEX MATCHALL "<translation[^>]*>[^<]*</translation>" uebersetzungen "${ts_text}")
file(READ "${teile}" teile_text)
entschaerft("${teile_text}" teile_text)
string(REGEX MATCHALL "QStringLiteral\\(\"[^\"]*\"\\)" literale "${teile_text}")

set(texte)   # exact texts
set(muster)  # regular expressions of the translations with %1, %2 ...
foreach(u IN LISTS uebersetzungen literale)
  string(REGEX REPLACE "^<translation[^>]*>(.*)</translation>$" "\\1" u "${u}")
  string(REGEX REPLACE "^QStringLiteral\\(\"(.*)\"\\)$" "\\1" u "${u}")
  vergleichbar("${u}" u)
  if(u STREQUAL "")
    continue()
  endif()
  list(APPEND texte "${u}")
  if(u MATCHES "%[0-9]")
    string(REGEX REPLACE "([.^$*+?()|\\\\])" "\\\\\\1" re "${u}")
    string(REGEX REPLACE "%[0-9]+" ".+" re "${re}")
    list(APPEND muster "^${re}$")
  endif()
endforeach()
list(LENGTH uebersetzungen anzahl_uebersetzungen)
if(anzahl_uebersetzungen EQUAL 0)
  message(FATAL_ERROR "keine Übersetzungen in ${ts}: die Prüfung sieht nichts")
endif()

file(GLOB seiten RELATIVE "${WURZEL}" "${WURZEL}/docs/hilfe/en/*.html")
list(SORT seiten)
set(fehlend)
set(geprueft 0)
foreach(seite IN LISTS seiten)
  file(READ "${WURZEL}/${seite}" html)
  entschaerft("${html}" html)
  string(REGEX MATCHALL "class=\"ui\">[^<]*<" marken "${html}")
  foreach(marke IN LISTS marken)
    string(REGEX REPLACE "^class=\"ui\">(.*)<$" "\\1" marke "${marke}")
    vergleichbar("${marke}" marke)
    math(EXPR geprueft "${geprueft} + 1")
    if(marke STREQUAL "")
      set(marke "(leer)")
    elseif(marke IN_LIST texte)
      continue()
    else()
      set(gefunden FALSE)
      foreach(re IN LISTS muster)
        if(marke MATCHES "${re}")
          set(gefunden TRUE)
          break()
        endif()
      endforeach()
      if(gefunden)
        continue()
      endif()
    endif()
    get_filename_component(name "${seite}" NAME)
    list(APPEND fehlend "${name}: ${marke}")
  endforeach()
endforeach()

if(geprueft EQUAL 0)
  message(FATAL_ERROR "keine mit class=\"ui\" markierten Texte in ${WURZEL}/docs/hilfe/en: die Prüfung sieht nichts")
endif()
list(JOIN fehlend "\n  " liste)

if(ERWARTET_DATEI)
  file(STRINGS "${ERWARTET_DATEI}" erwartet ENCODING UTF-8)
  list(SORT erwartet)
  list(SORT fehlend)
  if(NOT fehlend STREQUAL erwartet)
    list(JOIN erwartet "\n  " soll)
    message(FATAL_ERROR "gefunden:\n  ${liste}\nerwartet:\n  ${soll}")
  endif()
  message("${geprueft} Texte geprüft, die erwarteten fehlenden gefunden")
  return()
endif()

if(fehlend)
  message(FATAL_ERROR "Texte der englischen Hilfe, die das Fenster so nicht zeigt "
                      "(keine Übersetzung in translations/trabolin_en.ts):\n  ${liste}")
endif()
message("${geprueft} Texte der englischen Hilfe geprüft, alle zeigt das Fenster so")
