cmake_minimum_required(VERSION 3.20)
# Writes the header of the string ids: one enumerator per entry of the reference table,
# named from the names list. Fails when an id of the table has no name, a name has no entry,
# or a name is given twice, so the code can only use ids the tables hold.
#   -DTABLE=<reference string table> -DNAMES=<names list> -DOUTPUT=<header>
function(read_pairs file out_ids out_values)
  file(STRINGS ${file} lines ENCODING UTF-8)
  set(ids "")
  set(values "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^#" OR line STREQUAL "")
      continue()
    endif()
    if(NOT line MATCHES "^([0-9]+)\t(.*)$")
      message(FATAL_ERROR "${file}: not an entry: ${line}")
    endif()
    list(APPEND ids ${CMAKE_MATCH_1})
    # Texts may hold ";", which would split the list: keep a placeholder.
    string(REPLACE ";" "<semicolon>" value "${CMAKE_MATCH_2}")
    list(APPEND values "${value}")
  endforeach()
  set(${out_ids} "${ids}" PARENT_SCOPE)
  set(${out_values} "${values}" PARENT_SCOPE)
endfunction()

read_pairs(${TABLE} table_ids table_texts)
read_pairs(${NAMES} name_ids names)

set(seen "")
foreach(name IN LISTS names)
  if(name IN_LIST seen)
    message(FATAL_ERROR "${NAMES}: the name ${name} is given twice")
  endif()
  list(APPEND seen ${name})
endforeach()
foreach(id IN LISTS name_ids)
  if(NOT id IN_LIST table_ids)
    message(FATAL_ERROR "${NAMES}: id ${id} is not in ${TABLE}")
  endif()
endforeach()

set(body "")
list(LENGTH table_ids count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET table_ids ${i} id)
  list(GET table_texts ${i} text)
  list(FIND name_ids ${id} at)
  if(at LESS 0)
    message(FATAL_ERROR "${NAMES}: id ${id} has no name")
  endif()
  list(GET names ${at} name)
  string(REPLACE "<semicolon>" ";" text "${text}")
  string(APPEND body "    kIds${name} = ${id},  // ${text}\n")
endforeach()

set(content "// Generated from the string tables at build time; edit resources/string_names.txt instead.
#pragma once

#include <cstdint>

// The ids of the module's catalogue texts, with the English text of each.
enum StringId : std::uint32_t {
${body}};
")
# Rewritten only when it changes, so a touched table does not rebuild the whole module.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
  if(old STREQUAL content)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${content}")
