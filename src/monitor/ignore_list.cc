#include "monitor/ignore_list.h"

#include <cstring>

#include "platform/ascii.h"

namespace plv {

bool SameText(const char *a, const char *b, bool ignoreCase) {
    return ignoreCase ? EqualNoCase(a, b) : std::strcmp(a, b) == 0;
}

bool OnTextList(const void *list, const char *text, bool ignoreCase) {
    for (auto *node = static_cast<const PLVTextListNode *>(list); node != nullptr;
         node = static_cast<const PLVTextListNode *>(node->next)) {
        if (node->text != nullptr && SameText(node->text, text, ignoreCase)) return true;
    }
    return false;
}

}  // namespace plv
