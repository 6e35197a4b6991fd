// Texts put into an HTML page: escaped for its markup, and for a JSON
// string inside a script element.
#pragma once

#include <string>
#include <string_view>

namespace plvreport {

std::string HtmlEscaped(std::string_view text);
// A JSON string, quotes included; "<" is written \u003c so that no text
// ends the script element it is in.
std::string JsonString(std::string_view text);

}  // namespace plvreport
