# Writes the texts of resources/strings.rc as code page 932 bytes for the tests, converted by
# iconv so that the tests do not share the resource compiler's conversion.
# cmake -DRC=strings.rc -DIDS=string_ids.h -DOUT=expected_strings.h -P expected_strings.cmake
file(STRINGS ${IDS} defines REGEX "^#define IDS_")
foreach(define IN LISTS defines)
  string(REGEX MATCH "^#define (IDS_[A-Z0-9_]+) +([0-9]+)" matched "${define}")
  set(id_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()

set(entries "")
file(STRINGS ${RC} lines REGEX "^ +IDS_" ENCODING UTF-8)
foreach(line IN LISTS lines)
  # Only the escapes \r and \n are understood; anything else stops the build.
  string(REGEX MATCH "^ +(IDS_[A-Z0-9_]+) \"(.*)\"$" matched "${line}")
  set(id ${id_${CMAKE_MATCH_1}})
  string(REPLACE "\\r" "\r" text "${CMAKE_MATCH_2}")
  string(REPLACE "\\n" "\n" text "${text}")
  if(NOT matched OR NOT id OR text MATCHES "[\\\"]")
    message(FATAL_ERROR "${RC}: cannot read the string line: ${line}")
  endif()
  file(WRITE ${OUT}.utf8 "${text}")
  execute_process(COMMAND iconv -f UTF-8 -t CP932 INPUT_FILE ${OUT}.utf8 OUTPUT_FILE ${OUT}.cp932
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${RC}: string ${id} has no code page 932 form")
  endif()
  file(READ ${OUT}.cp932 hex HEX)
  string(REGEX REPLACE "(..)" "\\\\x\\1" bytes "${hex}")
  string(APPEND entries "    {${id}, \"${bytes}\"},\n")
endforeach()
file(REMOVE ${OUT}.utf8 ${OUT}.cp932)

file(WRITE ${OUT} "// Generated from ${RC} by expected_strings.cmake.
#pragma once

#include <string>

struct ExpectedString {
    unsigned id;
    const char* cp932;
};

inline constexpr ExpectedString kExpectedStrings[] = {
${entries}};

// The expected text of a string id; empty for an id that is not in the table.
inline const char* ExpectedText(unsigned id) {
    for (const ExpectedString& expected : kExpectedStrings)
        if (expected.id == id)
            return expected.cp932;
    return \"\";
}

// The expected text of a string id with its %s replaced by argument.
inline std::string ExpectedMessage(unsigned id, const std::string& argument = std::string()) {
    std::string text = ExpectedText(id);
    std::size_t at = text.find(\"%s\");
    return at == std::string::npos ? text : text.replace(at, 2, argument);
}
")
