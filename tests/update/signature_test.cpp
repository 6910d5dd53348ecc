// Checking files against signatures and keys that the minisign tool makes at test time.
#include "update/signature.h"

#include "tests/testlib/temp_dir.h"
#include "tests/update/update_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using nv::test::Bytes;
using nv::test::DecodeBase64;
using nv::test::EditLine;
using nv::test::FlipBit;
using nv::test::Line;
using nv::test::MinisignKey;
using nv::test::ReplaceLine;
using nv::test::TempDir;

TEST(SignatureTest, PublicKeysAsTheToolWritesThem)
{
    const MinisignKey key;
    MinisignPublicKey parsed;
    ASSERT_TRUE(ParseMinisignPublicKey(" " + key.PublicKey() + "\r\n", parsed));
    // The tool names the key id on the comment line, as a hex number without leading zeros.
    const std::string prefix = "untrusted comment: minisign public key ";
    ASSERT_EQ(key.PublicKeyComment().rfind(prefix, 0), 0u);
    EXPECT_EQ(std::stoull(key.PublicKeyComment().substr(prefix.size()), nullptr, 16),
              std::stoull(KeyIdText(parsed.keyId), nullptr, 16));

    for (const std::string& text : {std::string(), std::string("RWQ"), key.PublicKeyComment(),
                                    key.PublicKey() + key.PublicKey()}) {
        std::string why;
        EXPECT_FALSE(ParseMinisignPublicKey(text, parsed, &why)) << text;
        EXPECT_FALSE(why.empty());
    }
}

TEST(SignatureTest, OnlyThePublishersSignatureOfTheseBytesIsValid)
{
    const MinisignKey ours;
    const MinisignKey other;
    MinisignPublicKey key;
    ASSERT_TRUE(ParseMinisignPublicKey(ours.PublicKey(), key));
    const std::string update = "PK\x03\x04 the update's bytes";
    const std::string hashed = ours.SignatureOf(update);
    const std::string legacy = ours.SignatureOf(update, true);
    const std::string otherKey = other.SignatureOf(update);
    std::string crlf;
    for (char c : hashed)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    using enum SignatureCheck;

    struct Row
    {
        const char* name;
        std::string signature;
        SignatureCheck expected;
        std::string file;
    } rows[] = {
        {"hashed form", hashed, valid, update},
        {"legacy form", legacy, valid, update},
        {"CR LF line ends", crlf, valid, update},
        {"another untrusted comment", ReplaceLine(hashed, 0, "untrusted comment: hello"), valid,
         update},
        {"another key", otherKey, notMatching, update},
        {"another key, given our key id",
         EditLine(otherKey, 1,
                  [&](Bytes& b) {
                      const Bytes ourId = DecodeBase64(Line(hashed, 1));
                      std::copy(ourId.begin() + 2, ourId.begin() + 10, b.begin() + 2);
                  }),
         notMatching, update},
        {"legacy form, file changed", legacy, notMatching, update.substr(1)},
        {"bit flipped in the global signature", FlipBit(hashed, 3, 5), notMatching, update},
        {"empty", "", unreadable, update},
        {"unknown form", FlipBit(hashed, 1, 1), unreadable, update},
        {"no comment line", hashed.substr(hashed.find('\n') + 1), unreadable, update},
        {"a fifth line", hashed + "more\n", unreadable, update},
    };
    const TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.Write("update", row.file);
        dir.Write("update.minisig", row.signature);
        std::string why;
        EXPECT_EQ(VerifySignedFile(dir.File("update"), dir.File("update.minisig"), key, &why),
                  row.expected)
            << why;
        EXPECT_EQ(VerifySignedData(row.file, row.signature, key), row.expected);
        EXPECT_EQ(why.empty(), row.expected == valid) << why;
    }
    EXPECT_EQ(VerifySignedFile(dir.File("update"), dir.File("missing.minisig"), key), unreadable);
}

} // namespace
