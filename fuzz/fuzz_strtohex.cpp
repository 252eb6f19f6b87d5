// Fuzzes the address parser with any sequence of UTF-16 code units (lone surrogates, control
// characters and Latin-1 included) and checks what must hold for every text.
#include "chip/strtohex.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

bool isKept(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString text;
    text.reserve(qsizetype(size / 2));
    for (size_t i = 0; i + 1 < size; i += 2)
        text += QChar(char16_t(data[i] | (data[i + 1] << 8)));
    const QString typed = text;

    std::vector<uint8_t> hexBuf{0xAA, 0xBB};
    QString rewritten = typed;
    const uint8_t count = chip::StrToHex(rewritten, hexBuf);

    // The buffer is recreated for this text, the rewritten text keeps the typed length.
    check(hexBuf.size() == size_t(typed.size()) + 2);
    check(rewritten.size() == typed.size() + 1 && rewritten.at(0) == u' ');
    check(count <= std::min<size_t>(255, size_t(typed.size())));
    // Past the last complete byte at most a lone high half remains; everything after is zero.
    if (count < 255)
        check(std::all_of(hexBuf.begin() + count + 1, hexBuf.end(), [](uint8_t b) { return b == 0; }));

    // Characters that are neither hex digits nor blanks are skipped wherever they stand:
    // parsing the text without them gives the same bytes.
    QString filtered;
    for (QChar c : typed)
        if (isKept(c))
            filtered += c;
    std::vector<uint8_t> filteredBuf;
    const uint8_t filteredCount = chip::StrToHex(filtered, filteredBuf);
    check(filteredCount == count);
    const size_t compared = std::min(filteredBuf.size(), size_t(count) + 1);
    check(std::equal(filteredBuf.begin(), filteredBuf.begin() + qsizetype(compared), hexBuf.begin()));

    // Parsing the rewritten text again changes nothing: the added blank and the upper case are
    // already there.
    std::vector<uint8_t> againBuf;
    QString again = rewritten;
    check(chip::StrToHex(again, againBuf) == count);
    check(std::equal(hexBuf.begin(), hexBuf.end(), againBuf.begin()));
    return 0;
}
