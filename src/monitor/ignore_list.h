// The check of one of the host's ignore lists, with the cache the scan
// keeps of the last text that passed it.
#pragma once

#include <cstddef>

#include "plvlib32.h"

namespace plv {

// Equal texts, with or without regard to ASCII case.
bool SameText(const char *a, const char *b, bool ignoreCase);

// True when the text is on the host's list of PLVTextListNode; entries
// without text are passed over.
bool OnTextList(const void *list, const char *text, bool ignoreCase);

// One list's filter. The cache spares a walk for each window of a program
// that passed. It holds only for the list it was filled against: a host that
// hangs a new list in the runtime record (a reload) has the text that passed
// the old list checked against the new one, or a program just ignored would
// go on passing.
template <std::size_t Size>
class IgnoreList {
  public:
    explicit constexpr IgnoreList(bool ignoreCase) : ignoreCase_(ignoreCase) {}

    bool Ignores(const void *list, const char *text) {
        if (list == passedList_ && SameText(text, passed_, ignoreCase_)) return false;
        if (OnTextList(list, text, ignoreCase_)) return true;
        passedList_ = list;
        LeftStr(passed_, text, Size - 1);
        return false;
    }

  private:
    bool ignoreCase_;
    const void *passedList_ = nullptr;
    char passed_[Size] = {};
};

}  // namespace plv
