# Sourced by the signing tests. make_test_certificates DIR PASSWORD-FILE
# [DAYS] makes, in DIR, a throwaway test CA (ca.pem) and a code-signing
# certificate it issued, valid for DAYS days (1 unless given): signer.pem
# with its key signer-key.pem (encrypted with the password in
# PASSWORD-FILE), chain.pem (signer, then CA) and signer.p12 (the chain and
# key, under the same password).

# test_key NAME FILE: a 2048-bit RSA key, unencrypted, in FILE. Making one
# takes a quarter of a CPU-second or more, and no test needs a new one:
# where ZELVORA_TEST_KEYS names a folder, the key called NAME is made there
# once and copied from there (the certificates are made anew each time).
test_key() {
  local name=$1 file=$2 keys=${ZELVORA_TEST_KEYS:-}
  if [ -z "$keys" ]; then
    openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 \
      -out "$file"
    return
  fi
  mkdir -p "$keys" &&
    (
      flock 9
      [ -s "$keys/$name-key.pem" ] ||
        { openssl genpkey -quiet -algorithm RSA \
          -pkeyopt rsa_keygen_bits:2048 -out "$keys/$name-key.pem.new" &&
          mv "$keys/$name-key.pem.new" "$keys/$name-key.pem"; }
    ) 9>"$keys/lock" &&
    cp "$keys/$name-key.pem" "$file"
}

make_test_certificates() {
  local dir=$1 password_file=$2 days=${3:-1}
  cat >"$dir/openssl.cnf" <<'CNF'
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF
  (
    cd "$dir"
    test_key ca ca-key.pem
    openssl req -x509 -new -key ca-key.pem -subj '/CN=Zelvora Test CA' \
      -days "$days" -config openssl.cnf -extensions ca -out ca.pem
    test_key signer signer-plain.pem
    openssl pkey -in signer-plain.pem -aes-256-cbc \
      -passout "file:$password_file" -out signer-key.pem
    rm signer-plain.pem
    openssl req -new -key signer-key.pem -passin "file:$password_file" \
      -subj '/CN=Zelvora Test Signer' -out signer.csr
    openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca-key.pem \
      -CAcreateserial -days "$days" -extfile openssl.cnf -extensions signer \
      -out signer.pem 2>/dev/null
    cat signer.pem ca.pem >chain.pem
    # openssl reads one password file once: a copy for the second password.
    cp "$password_file" password-out
    openssl pkcs12 -export -in signer.pem -inkey signer-key.pem \
      -passin "file:$password_file" -certfile ca.pem \
      -passout file:password-out -out signer.p12
  )
}
