#include "report_input.h"

namespace plvreport {

void ThrowProblems(const std::vector<std::string> &problems) {
    std::string text;
    for (const std::string &problem : problems) text += (text.empty() ? "" : "\n") + problem;
    throw InputError(text);
}

}  // namespace plvreport
