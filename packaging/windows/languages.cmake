# The installer's texts in every language, as fenlight.nsi takes them: for each language of
# FENLIGHT_LANGUAGES (cmake/Languages.cmake) NSIS's own language file (its buttons and standard pages),
# English first, the one a system of none of them gets, then a LangString for each installer.* text of its
# file, shown as $(NAME): installer.in-use is $(in_use). fenlight_installer_languages(OUTPUT) writes them.

# What the installer's code holds where a text puts in {name}: the file that WhyNotWritten and a stopped
# install name, the installed MSI package's product code, the version installed and this one, the Windows
# error WhyNotWritten read.
set(FENLIGHT_INSTALLER_VALUES "{file}=$0" "{code}=$1" "{installed}=$0" "{version}=\${VERSION}" "{error}=$3")

# fenlight_nsis_text(VAR TEXT WHERE): TEXT as a language file spells it, as the inside of an NSIS string.
# WHERE names it when it puts in a value the installer has none for.
function(fenlight_nsis_text var text where)
  string(ASCII 1 backslash)
  string(REPLACE "\\\\" "${backslash}" text "${text}")
  string(REPLACE "\\n" "\n" text "${text}")
  string(REPLACE "${backslash}" "\\" text "${text}")
  string(REPLACE "$" "$$" text "${text}")
  string(REPLACE "\"" "$\\\"" text "${text}")
  string(REPLACE "\n" "$\\r$\\n" text "${text}")
  string(REGEX MATCHALL "{[A-Za-z0-9_-]+}" names "${text}")
  foreach(name ${names})
    set(value ${FENLIGHT_INSTALLER_VALUES})
    list(FILTER value INCLUDE REGEX "^${name}=")
    if(NOT value)
      message(FATAL_ERROR "${where} puts in ${name}, which the installer has no value for")
    endif()
    string(REGEX REPLACE "^[^=]*=" "" value "${value}")
    string(REPLACE "${name}" "${value}" text "${text}")
  endforeach()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# fenlight_installer_texts(TAG): KEYS, the installer.* keys of language TAG's file in their order, and
# TAG.KEY, each one's text.
macro(fenlight_installer_texts tag)
  fenlight_language_text(text ${tag})
  set(keys "")
  # Line by line, not as a list: a text may hold ";", "[" or a "\" at its end.
  string(APPEND text "\n")
  while(NOT text STREQUAL "")
    string(FIND "${text}" "\n" end)
    string(SUBSTRING "${text}" 0 ${end} line)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${text}" ${end} -1 text)
    if(line MATCHES "^[ \t]*installer\\.([^=]*)=(.*)$")
      string(STRIP "${CMAKE_MATCH_1}" key)
      string(STRIP "${CMAKE_MATCH_2}" ${tag}.${key})
      list(APPEND keys ${key})
    endif()
  endwhile()
endmacro()

function(fenlight_installer_languages output)
  set(nsh "; Made by the build from settings/languages (packaging/windows/languages.cmake), in UTF-8: every\n")
  string(APPEND nsh "; language's NSIS texts and the installer's own.\n")
  set(english "")
  foreach(language ${FENLIGHT_LANGUAGES})
    string(REGEX MATCH "^([^=]+)=(.+)$" _ "${language}")
    set(tag ${CMAKE_MATCH_1})
    set(nsis ${CMAKE_MATCH_2})
    string(TOUPPER ${nsis} id)
    fenlight_installer_texts(${tag})
    if(NOT english)
      # English's keys are every language's; each has a LangString name NSIS accepts, told apart.
      set(english ${tag})
      set(english_keys ${keys})
      set(names "")
      foreach(key ${keys})
        string(REGEX REPLACE "[^A-Za-z0-9_]" "_" name_${key} "${key}")
        if(name_${key} IN_LIST names)
          message(FATAL_ERROR "installer.${key}'s LangString name ${name_${key}} is another key's too")
        endif()
        list(APPEND names ${name_${key}})
      endforeach()
    endif()
    string(APPEND nsh "\n!insertmacro MUI_LANGUAGE \"${nsis}\"\n")
    foreach(key ${english_keys})
      set(where ${FENLIGHT_LANGUAGE_DIR}/${tag}.txt)
      if(NOT DEFINED ${tag}.${key})
        # The installer shows English's text, as the saver does.
        message(WARNING "${where} has no installer.${key}: the installer shows it in English")
        set(${tag}.${key} "${${english}.${key}}")
        set(where ${FENLIGHT_LANGUAGE_DIR}/${english}.txt)
      endif()
      fenlight_nsis_text(text "${${tag}.${key}}" "${where}'s installer.${key}")
      string(APPEND nsh "LangString ${name_${key}} \${LANG_${id}} \"${text}\"\n")
    endforeach()
  endforeach()
  # Written only when it changed, so that configuring again rebuilds nothing.
  set(old "")
  if(EXISTS ${output})
    file(READ ${output} old)
  endif()
  if(NOT old STREQUAL nsh)
    file(WRITE ${output} "${nsh}")
  endif()
endfunction()
