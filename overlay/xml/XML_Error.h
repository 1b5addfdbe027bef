#pragma once

#include <stdexcept>

// Failures of the XML layer. A syntax or usage error carries a one-character
// code that tells its kind:
//   'F' write on a closed writer          'A' attribute outside an open start tag
//   'E' end without an open element       '?' attribute or end reaching a state machine with an empty stack
//   '<' unexpected character after '<'    '>' missing '>'
//   '=' attribute without '='             'N' empty attribute name
//   '"' attribute value not in double quotes
//   '&' unknown entity                    'S' end tag with no open element
//   'M' end tag name differs from the open element
// Running out of input inside markup or an entity is a different error
// (XML_EndOfInput), not a code. Loaders do not catch either; what() is the
// German text the application's general error handler shows.
class XML_Error : public std::runtime_error {
public:
    explicit XML_Error(char code);
    char code() const noexcept { return m_code; }

private:
    char m_code;
};

class XML_EndOfInput : public std::runtime_error {
public:
    XML_EndOfInput();
};
