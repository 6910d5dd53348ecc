// Checking update files against the publisher's signatures. A release is signed with the
// minisign tool: a public key is "Ed", an 8-byte key id and an Ed25519 key, in base64; a
// signature file has four lines (an untrusted comment, the signature, a trusted comment and a
// global signature over the signature and the trusted comment). Both signature forms are
// read: "ED" signs the file's BLAKE2b-512 hash, the older "Ed" the file's bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct MinisignPublicKey
{
    std::array<uint8_t, 8> keyId{};
    std::array<uint8_t, 32> key{};
};

struct MinisignSignature
{
    bool prehashed = true; // "ED": the signature covers the file's hash
    std::array<uint8_t, 8> keyId{};
    std::array<uint8_t, 64> signature{};
    std::string trustedComment; // the text after "trusted comment: "
    std::array<uint8_t, 64> globalSignature{};
};

// The longest signature file read.
constexpr size_t kMaxSignatureBytes = 16384;
// The largest file checked against an "Ed" signature, which needs the whole file in memory.
constexpr uint64_t kMaxLegacySignedBytes = uint64_t(256) << 20;

// Reads a public key: the base64 text of line 2 of a minisign public key file (blanks and
// line ends around it are ignored). False, with why set when given, when it is not one.
bool ParseMinisignPublicKey(std::string_view text, MinisignPublicKey& key,
                            std::string* why = nullptr);

// Reads a signature file's text (lines end in LF or CR LF; empty lines may follow the fourth).
// False, with why set when given, when it is not a signature of a known form.
bool ParseMinisignSignature(std::string_view text, MinisignSignature& signature,
                            std::string* why = nullptr);

// A key id as minisign shows it: the 8 bytes as a little-endian number in upper-case hex.
std::string KeyIdText(const std::array<uint8_t, 8>& keyId);

enum class SignatureCheck {
    valid,       // made with the key's secret half, over these bytes and this trusted comment
    unreadable,  // no signature could be read
    notMatching, // another key, other bytes, a changed trusted comment, or an unreadable file
};

// Checks data against the signature text with key; why (when given) says what failed.
SignatureCheck VerifySignedData(std::string_view data, std::string_view signatureText,
                                const MinisignPublicKey& key, std::string* why = nullptr);

// The same for the file at path and the signature file at signaturePath. The file is read in
// pieces for an "ED" signature; an "Ed" signature covers at most kMaxLegacySignedBytes.
// When signedName is not empty and the trusted comment names the file that was signed
// ("file:<name>", which minisign writes unless given a comment of its own), that name must
// be signedName: a file signed under another name is notMatching, so that two signed files
// cannot stand in for each other.
SignatureCheck VerifySignedFile(const std::string& path, const std::string& signaturePath,
                                const MinisignPublicKey& key, std::string* why = nullptr,
                                std::string_view signedName = {});

// The name the trusted comment gives the signed file: the value of its tab-separated field
// "file:<name>". Empty when it names none.
std::string SignedFileName(std::string_view trustedComment);
