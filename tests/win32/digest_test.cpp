// Digests of the Windows build through CryptoAPI: MD5 and SHA-256 of fixed bytes equal what
// OpenSSL gives for the same bytes (md5sum and sha256sum on Linux).
#include "platform/digest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace platform {
namespace {

std::string Hex(const std::string& bytes) {
  std::string text;
  char pair[3];
  for (unsigned char byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    text += pair;
  }
  return text;
}

// The digest of bytes fed in pieces of the given size.
std::string DigestOf(DigestKind kind, const std::string& bytes, std::size_t piece) {
  Digest digest(kind);
  EXPECT_TRUE(digest.Usable());
  for (std::size_t offset = 0; offset < bytes.size(); offset += piece)
    EXPECT_TRUE(digest.Update(bytes.data() + offset, std::min(piece, bytes.size() - offset)));
  return Hex(digest.Finish());
}

// 1 MiB: byte i is (7 i + i / 1000) mod 256.
std::string Pattern() {
  std::string bytes(1 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>((i * 7 + i / 1000) % 256);
  return bytes;
}

TEST(Win32Digest, EqualsOpenSslsForTheSameBytes) {
  EXPECT_EQ(DigestOf(DigestKind::Md5, "abc", 3), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(DigestOf(DigestKind::Sha256, "abc", 3),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(DigestOf(DigestKind::Md5, "", 1), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(DigestOf(DigestKind::Sha256, "", 1),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  const std::string pattern = Pattern();
  for (std::size_t piece : {pattern.size(), std::size_t{4093}}) {
    EXPECT_EQ(DigestOf(DigestKind::Md5, pattern, piece), "a4eba92a79c33ddd10e83f47446c9d64");
    EXPECT_EQ(DigestOf(DigestKind::Sha256, pattern, piece),
              "74ae267b81e65e38a81b207b952c8ab9d276c7ae78945eb5114be87025ea2e2f");
  }
}

TEST(Win32Digest, FinishEndsTheDigest) {
  Digest digest(DigestKind::Md5);
  ASSERT_TRUE(digest.Update("abc", 3));
  EXPECT_EQ(digest.Finish().size(), 16u);
  EXPECT_FALSE(digest.Usable());
  EXPECT_FALSE(digest.Update("abc", 3));
  EXPECT_EQ(digest.Finish(), "");
}

}  // namespace
}  // namespace platform
