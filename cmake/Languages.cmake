# The languages Fenlight speaks, English first: TAG=NSIS, the file settings/languages/TAG.txt and the name of
# NSIS's own language file for the installer's standard texts. A new language is its file and one entry here.
set(FENLIGHT_LANGUAGES
    en=English de=German fr=French es=Spanish it=Italian pt-BR=PortugueseBR nl=Dutch pl=Polish ru=Russian
    tr=Turkish ja=Japanese ko=Korean zh-CN=SimpChinese)
set(FENLIGHT_LANGUAGE_DIR ${CMAKE_CURRENT_LIST_DIR}/../settings/languages)
cmake_path(NORMAL_PATH FENLIGHT_LANGUAGE_DIR)

# fenlight_language_text(VAR TAG [LEAVE_OUT PREFIX...]): the file of language TAG as its program carries it:
# without comments, blank lines and the keys of faces it does not show (LEAVE_OUT installer: no "installer."
# keys). A change to the file configures the build again.
function(fenlight_language_text var tag)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "LEAVE_OUT")
  set(file ${FENLIGHT_LANGUAGE_DIR}/${tag}.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  file(READ ${file} text)
  # Each line between new lines of its own, so that neighbouring lines left out do not share one.
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE "\n" "\n\n" text "\n${text}\n")
  set(prefixes "#")
  foreach(prefix ${arg_LEAVE_OUT})
    string(APPEND prefixes "|${prefix}\\.")
  endforeach()
  string(REGEX REPLACE "\n[ \t]*(${prefixes})[^\n]*\n" "" text "${text}")
  string(REGEX REPLACE "\n[ \t\n]*\n" "\n" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# fenlight_language_table(TARGET [LEAVE_OUT PREFIX...]): TARGET carries kLanguageFiles, every language's file
# (settings/texts.h), without the keys of the faces named.
function(fenlight_language_table target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LEAVE_OUT")
  set(source "// Made by the build from settings/languages: every language's texts.\n")
  string(APPEND source "#include \"settings/texts.h\"\n\nconst LanguageFile kLanguageFiles[] = {\n")
  list(LENGTH FENLIGHT_LANGUAGES count)
  foreach(language ${FENLIGHT_LANGUAGES})
    string(REGEX REPLACE "=.*" "" tag "${language}")
    fenlight_language_text(text ${tag} LEAVE_OUT ${arg_LEAVE_OUT})
    # Every byte escaped: the texts are UTF-8 and may hold quotes and backslashes.
    string(HEX "${text}" hex)
    string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
    string(LENGTH "${text}" length)
    string(APPEND source "    {\"${tag}\", {\"${escaped}\", ${length}}},\n")
  endforeach()
  string(APPEND source "};\nconst uint32_t kLanguageCount = ${count};\n")
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_languages.cpp)
  # Written only when it changed, so that configuring again rebuilds nothing.
  file(CONFIGURE OUTPUT ${output} CONTENT "${source}" @ONLY)
  target_sources(${target} PRIVATE ${output})
endfunction()
