# Writes OUTPUT from INPUT with @DEMO_SPYWARE_MD5@ replaced by the digest of PROGRAM.
file(MD5 "${PROGRAM}" digest)
file(READ "${INPUT}" text)
string(REPLACE "@DEMO_SPYWARE_MD5@" "${digest}" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
