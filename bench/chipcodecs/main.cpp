// Measures the chip command set's pure helpers: StrToHex on an address entry, on the longest text
// a byte counts, on a paste as long as a line edit holds and on a megabyte; and the analog frame.
#include "chip/analogpath.h"
#include "chip/strtohex.h"

#include "../common/nspercall.h"

#include <QString>

#include <cstdio>
#include <vector>

namespace {

// Printed at the end, so that the compiler cannot drop the work.
int64_t sink = 0;

QString pasteOf(qsizetype length) {
    // Groups, stray letters and Chinese mixed, as a careless paste would be.
    const QString pattern = QStringLiteral("0a 1B 中 x7 ");
    QString text;
    text.reserve(length);
    while (text.size() < length)
        text += pattern;
    text.truncate(length);
    return text;
}

} // namespace

int main() {
    std::vector<uint8_t> hexBuf;
    std::printf("StrToHex (text length, time per call, time per character, HexBuf bytes):\n");
    for (qsizetype length : {5, 254, 32767, 1 << 20}) {
        const QString text = pasteOf(length);
        const int calls = length <= 254 ? 200'000 : (length <= 32767 ? 2'000 : 20);
        const double ns = nsPerCall(calls, [&](int) {
            QString copy = text;
            sink += chip::StrToHex(copy, hexBuf);
        });
        std::printf("  %8lld chars: %12.1f ns/call %6.2f ns/char  HexBuf %zu\n",
                    static_cast<long long>(length), ns, ns / double(length), hexBuf.size());
    }

    const QString sources[] = {QStringLiteral("Lin"), QStringLiteral("Mic"), QStringLiteral("LM"),
                               QStringLiteral("mic")};
    const double frameNs = nsPerCall(5'000'000, [&](int i) {
        const auto f = chip::analogPathFrame(sources[i & 3], i & 4, i & 8, uint8_t(i % 6));
        sink += f[1] + f[2];
    });
    std::printf("analogPathFrame: %.1f ns/call\n", frameNs);
    std::printf("(checksum %lld)\n", static_cast<long long>(sink));
    return 0;
}
