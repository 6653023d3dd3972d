#include "support/signed_list.h"

#include <openssl/pem.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "vxdb/list_signing.h"

namespace testing_support {

std::string DemoUpdateKey() {
  return VEXMARL_DEMO_UPDATE_KEY;
}

std::string OtherUpdateKey() {
  return VEXMARL_TEST_KEYS "/other-key.pem";
}

std::string PublicKeyText(const std::string& privateKey) {
  std::FILE* file = std::fopen(privateKey.c_str(), "rb");
  if (!file) throw std::runtime_error("cannot read " + privateKey);
  EVP_PKEY* key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
  std::fclose(file);
  BIO* memory = BIO_new(BIO_s_mem());
  if (!key || !memory || PEM_write_bio_PUBKEY(memory, key) != 1)
    throw std::runtime_error("no key in " + privateKey);
  char* bytes = nullptr;
  const long length = BIO_get_mem_data(memory, &bytes);
  std::string text(bytes, static_cast<std::size_t>(length));
  BIO_free(memory);
  EVP_PKEY_free(key);
  return text;
}

std::string ShortPublicKeyText() {
  std::ifstream in(VEXMARL_TEST_KEYS "/short-key.pub", std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string SignatureFile(const std::string& list, long long issued, const std::string& key) {
  std::string error;
  const auto signature = vxdb::SignatureFileFor(key, list, issued, &error);
  if (!signature) throw std::runtime_error(error);
  return *signature;
}

}  // namespace testing_support
