// Feeds arbitrary bytes to the signature reader and checks them against one fixed text and
// key. The seeds are that text's real signatures; no change to them may still check as valid,
// except in the untrusted comment, which no signature covers.
#include "update/signature.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// A key made for this fuzzer with "minisign -G"; the seeds sign kData with it.
const char* const kPublicKey = "RWRUb/nv00AcGHtIT5oPH15VeniAkBxbtypSIDXnPngRUNNtzWqFKHYs";
const std::string_view kData = "Nulo Vandrel update\n";

// The seed signature files.
const char* const kSeeds[] = {
    "untrusted comment: signature from minisign secret key\n"
    "RURUb/nv00AcGD078c9RA0hT/F5mK+7ptoIe0cLOZfGIIY0/"
    "7Fl7zkFdVP9Q6mrfga+0XBilwYkX6urAocSIrWUzoWo7wBUKyQ4=\n"
    "trusted comment: timestamp:1208217600\tfile:data\thashed\n"
    "R8vSxQ5ykpMP8gE5dDRdoe3hqiTJ4onWPH1PREfaaRm00Ln8GceHWnSfP/Y6IiVEOsO7yxDz89YDLHnXy+HDCg==\n",
    "untrusted comment: signature from minisign secret key\n"
    "RWRUb/nv00AcGFxcbTcXSjz7iuUDD44G1pKpHAwPKMCBNNLStc8mLAyiMznepqrd7/u05yYg/"
    "r5RXPvz0+BfBakmRHauT5BvKQw=\n"
    "trusted comment: timestamp:1208217600\tfile:data\n"
    "xKz1ofRcMtUnIrXmWf8wB+ZQ3Rhxabp+p+3iC+IXSIlGgVNFGmNZmjGm7Ofsh4NVgDiKwXiR2+/pHqc2Ngn/DA==\n",
};

// True when parsed has the signature and trusted comment of a seed.
bool IsSeed(const MinisignSignature& parsed)
{
    for (const char* text : kSeeds) {
        MinisignSignature seed;
        if (ParseMinisignSignature(text, seed) && seed.prehashed == parsed.prehashed &&
            seed.signature == parsed.signature && seed.trustedComment == parsed.trustedComment &&
            seed.globalSignature == parsed.globalSignature)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static MinisignPublicKey key;
    static const bool haveKey = ParseMinisignPublicKey(kPublicKey, key);
    if (!haveKey)
        std::abort();
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    MinisignSignature parsed;
    const bool readable = ParseMinisignSignature(text, parsed);
    const SignatureCheck check = VerifySignedData(kData, text, key);
    if (readable != (check != SignatureCheck::unreadable))
        std::abort();
    if (check == SignatureCheck::valid && !IsSeed(parsed))
        std::abort();

    MinisignPublicKey other;
    ParseMinisignPublicKey(text, other);
    return 0;
}
