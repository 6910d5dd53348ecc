// Minisign keys and signatures over libsodium: base64, BLAKE2b and Ed25519.
#include "update/signature.h"

#include "platform/file.h"

#include <sodium.h>

#include <cstring>
#include <vector>

namespace {

const std::string_view kUntrustedPrefix = "untrusted comment: ";
const std::string_view kTrustedPrefix = "trusted comment: ";

bool Fail(std::string* why, const char* text)
{
    if (why)
        *why = text;
    return false;
}

bool SodiumReady()
{
    return sodium_init() >= 0;
}

// Decodes standard base64 (with its padding) into exactly out.size() bytes.
template <size_t N> bool DecodeBase64(std::string_view text, std::array<uint8_t, N>& out)
{
    size_t length = 0;
    const char* end = nullptr;
    return !text.empty() &&
           sodium_base642bin(out.data(), out.size(), text.data(), text.size(), nullptr, &length,
                             &end, sodium_base64_VARIANT_ORIGINAL) == 0 &&
           end == text.data() + text.size() && length == out.size();
}

// Splits text into lines at LF, dropping a CR before it.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// Checks both signatures; signedBytes is the file's hash or, for "Ed", the file itself. Then,
// once the trusted comment is known to be the publisher's, the name it gives the file.
SignatureCheck CheckSignatures(const MinisignSignature& signature, const MinisignPublicKey& key,
                               const unsigned char* signedBytes, size_t length, std::string* why,
                               std::string_view signedName = {})
{
    if (signature.keyId != key.keyId) {
        if (why)
            *why = "signed with the key " + KeyIdText(signature.keyId) + ", not with " +
                   KeyIdText(key.keyId);
        return SignatureCheck::notMatching;
    }
    if (crypto_sign_verify_detached(signature.signature.data(), signedBytes, length,
                                    key.key.data()) != 0) {
        Fail(why, "the signature does not match the file");
        return SignatureCheck::notMatching;
    }
    std::vector<unsigned char> global(signature.signature.begin(), signature.signature.end());
    global.insert(global.end(), signature.trustedComment.begin(), signature.trustedComment.end());
    if (crypto_sign_verify_detached(signature.globalSignature.data(), global.data(), global.size(),
                                    key.key.data()) != 0) {
        Fail(why, "the trusted comment does not match its signature");
        return SignatureCheck::notMatching;
    }
    const std::string named = SignedFileName(signature.trustedComment);
    if (!signedName.empty() && !named.empty() && named != signedName) {
        if (why)
            *why = "signed as \"" + named + "\", not as \"" + std::string(signedName) + "\"";
        return SignatureCheck::notMatching;
    }
    return SignatureCheck::valid;
}

// Parses the signature text and makes sure libsodium is ready.
bool Prepare(std::string_view signatureText, MinisignSignature& signature, std::string* why)
{
    if (!SodiumReady())
        return Fail(why, "the signature library cannot be started");
    return ParseMinisignSignature(signatureText, signature, why);
}

} // namespace

bool ParseMinisignPublicKey(std::string_view text, MinisignPublicKey& key, std::string* why)
{
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return Fail(why, "no public key is set");
    text = text.substr(first, text.find_last_not_of(blanks) - first + 1);
    std::array<uint8_t, 42> bytes;
    if (!DecodeBase64(text, bytes))
        return Fail(why, "the public key is not the base64 text of a minisign public key");
    if (bytes[0] != 'E' || bytes[1] != 'd')
        return Fail(why, "the public key is not an Ed25519 key");
    std::memcpy(key.keyId.data(), bytes.data() + 2, key.keyId.size());
    std::memcpy(key.key.data(), bytes.data() + 10, key.key.size());
    return true;
}

bool ParseMinisignSignature(std::string_view text, MinisignSignature& signature, std::string* why)
{
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.size() != 4)
        return Fail(why, "a signature file has four lines");
    if (lines[0].substr(0, kUntrustedPrefix.size()) != kUntrustedPrefix)
        return Fail(why, "the first line is not an untrusted comment");
    std::array<uint8_t, 74> bytes;
    if (!DecodeBase64(lines[1], bytes))
        return Fail(why, "the second line is not the base64 text of a signature");
    if (bytes[0] != 'E' || (bytes[1] != 'D' && bytes[1] != 'd'))
        return Fail(why, "the signature is of an unknown form");
    if (lines[2].substr(0, kTrustedPrefix.size()) != kTrustedPrefix)
        return Fail(why, "the third line is not a trusted comment");
    if (!DecodeBase64(lines[3], signature.globalSignature))
        return Fail(why, "the fourth line is not the base64 text of a signature");
    signature.prehashed = bytes[1] == 'D';
    std::memcpy(signature.keyId.data(), bytes.data() + 2, signature.keyId.size());
    std::memcpy(signature.signature.data(), bytes.data() + 10, signature.signature.size());
    signature.trustedComment = std::string(lines[2].substr(kTrustedPrefix.size()));
    return true;
}

std::string KeyIdText(const std::array<uint8_t, 8>& keyId)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = keyId.size(); i-- > 0;) {
        text += digits[keyId[i] >> 4];
        text += digits[keyId[i] & 15];
    }
    return text;
}

SignatureCheck VerifySignedData(std::string_view data, std::string_view signatureText,
                                const MinisignPublicKey& key, std::string* why)
{
    MinisignSignature signature;
    if (!Prepare(signatureText, signature, why))
        return SignatureCheck::unreadable;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    if (!signature.prehashed)
        return CheckSignatures(signature, key, bytes, data.size(), why);
    unsigned char hash[crypto_generichash_BYTES_MAX];
    crypto_generichash(hash, sizeof hash, bytes, data.size(), nullptr, 0);
    return CheckSignatures(signature, key, hash, sizeof hash, why);
}

std::string SignedFileName(std::string_view trustedComment)
{
    const std::string_view kFile = "file:";
    while (!trustedComment.empty()) {
        const size_t tab = trustedComment.find('\t');
        const std::string_view field = trustedComment.substr(0, tab);
        if (field.substr(0, kFile.size()) == kFile)
            return std::string(field.substr(kFile.size()));
        if (tab == std::string_view::npos)
            break;
        trustedComment.remove_prefix(tab + 1);
    }
    return {};
}

SignatureCheck VerifySignedFile(const std::string& path, const std::string& signaturePath,
                                const MinisignPublicKey& key, std::string* why,
                                std::string_view signedName)
{
    std::string signatureText;
    if (!nv::ReadTextFile(signaturePath, signatureText, kMaxSignatureBytes)) {
        Fail(why, "the signature file cannot be read or is too long");
        return SignatureCheck::unreadable;
    }
    MinisignSignature signature;
    if (!Prepare(signatureText, signature, why))
        return SignatureCheck::unreadable;

    if (!signature.prehashed) {
        std::string data;
        if (!nv::ReadTextFile(path, data, kMaxLegacySignedBytes)) {
            Fail(why, "the file cannot be read, or is too long for a signature of the \"Ed\" "
                      "form (sign it with the default form)");
            return SignatureCheck::notMatching;
        }
        return CheckSignatures(signature, key, reinterpret_cast<const unsigned char*>(data.data()),
                               data.size(), why, signedName);
    }
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES_MAX);
    nv::File file;
    if (!file.Open(path, nv::File::modeRead)) {
        Fail(why, "the file cannot be read");
        return SignatureCheck::notMatching;
    }
    try {
        unsigned char buffer[65536];
        size_t n;
        while ((n = file.Read(buffer, sizeof buffer)) > 0)
            crypto_generichash_update(&state, buffer, n);
    } catch (const nv::FileError&) {
        Fail(why, "the file cannot be read");
        return SignatureCheck::notMatching;
    }
    unsigned char hash[crypto_generichash_BYTES_MAX];
    crypto_generichash_final(&state, hash, sizeof hash);
    return CheckSignatures(signature, key, hash, sizeof hash, why, signedName);
}
