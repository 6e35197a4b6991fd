// The code page's table is the platform's own.
#include "ansi_text.h"
#include "platform/posix/ansi_text.h"

namespace plv::logs {

char16_t CharacterOfAnsiByte(unsigned char byte) { return posix::UnicodeOfAnsiByte(byte); }

}  // namespace plv::logs
