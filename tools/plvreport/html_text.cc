#include "html_text.h"

#include "row_output.h"

namespace plvreport {

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out;
    plv::logs::AppendJsonString(out, text, "<>&");
    return out;
}

}  // namespace plvreport
