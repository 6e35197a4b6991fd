#include "platform/posix/x11_text.h"

#include <iconv.h>

#include <cerrno>

namespace plv::posix::x11 {
namespace {

using CharacterLength = std::size_t (*)(std::string_view text);

// The bytes of the UTF-8 character that starts the text; 1 when they do not
// form one, so that a broken sequence costs one byte and the rest is read.
std::size_t Utf8CharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead >= 0xF8   ? 1
                               : lead >= 0xF0 ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC0 ? 2
                                              : 1;
    if (length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

std::size_t SingleByte(std::string_view) { return 1; }

// Without the converter (a C library without its code-page modules) only
// ASCII comes through.
std::string AsciiOnly(std::string_view text, CharacterLength characterLength) {
    std::string out;
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text.front());
        out.push_back(byte < 0x80 ? static_cast<char>(byte) : '?');
        text.remove_prefix(byte < 0x80 ? 1 : characterLength(text));
    }
    return out;
}

std::string Convert(iconv_t converter, std::string_view text, CharacterLength characterLength) {
    if (converter == reinterpret_cast<iconv_t>(-1)) return AsciiOnly(text, characterLength);
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    // One character gives at most one byte, so the text's size is room enough.
    std::string out(text.size(), '\0');
    char *in = const_cast<char *>(text.data());
    std::size_t inLeft = text.size();
    char *next = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0 &&
           ::iconv(converter, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1)) {
        if (errno != EILSEQ && errno != EINVAL) break;
        *next++ = '?';
        --outLeft;
        // EINVAL: the text ends inside a character.
        const std::size_t skip = errno == EINVAL ? inLeft : characterLength({in, inLeft});
        in += skip;
        inLeft -= skip;
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    return out;
}

// Opened once, for the life of the process.
iconv_t ConverterFrom(const char *encoding) { return ::iconv_open("WINDOWS-1252", encoding); }

}  // namespace

std::string AnsiFromUtf8(std::string_view text) {
    static const iconv_t converter = ConverterFrom("UTF-8");
    return Convert(converter, text, Utf8CharacterLength);
}

std::string AnsiFromLatin1(std::string_view text) {
    static const iconv_t converter = ConverterFrom("ISO-8859-1");
    return Convert(converter, text, SingleByte);
}

}  // namespace plv::posix::x11
