#pragma once

#include "HDBFieldDef.h"

#include <string>
#include <vector>

class HDBRecords;

// The text forms of HDB tables used on the command line: field lists and
// records as tab-separated lines (UTF-8).
namespace HDBTsv {

// "NAME:C30,NAME:N9,NAME:N12.2,NAME:B": C text of that many characters,
// N number of that many digits (and decimals), B byte. Names are UTF-8 and
// stored as Windows-1252. False with `error` set for a malformed list.
bool parseFieldSpec(const std::string& spec, std::vector<HDBFieldDef>& fields, std::string& error);
// The spec form of one definition ("ORT:C30"); a type outside the three
// gives "NAME:?<type>".
std::string fieldSpec(const HDBFieldDef& def);

// Backslash, tab, line feed and carriage return as \\ \t \n \r.
std::string escape(const std::string& utf8);
std::string unescape(const std::string& text);
std::vector<std::string> splitLine(const std::string& line);

// The field names (UTF-8), tab-separated.
std::string headerLine(const HDBRecords& cursor);
// The cursor's current record: every field's text (UTF-8), tab-separated.
std::string recordLine(const HDBRecords& cursor);

} // namespace HDBTsv
