# Sourced by the signing tests. make_test_certificates DIR PASSWORD-FILE
# [DAYS] makes, in DIR, a throwaway test CA (ca.pem) and a code-signing
# certificate it issued, valid for DAYS days (1 unless given): signer.pem
# with its key signer-key.pem (encrypted with the password in
# PASSWORD-FILE), chain.pem (signer, then CA) and signer.p12 (the chain and
# key, under the same password).
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
    openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 \
      -out ca-key.pem
    openssl req -x509 -new -key ca-key.pem -subj '/CN=Zelvora Test CA' \
      -days "$days" -config openssl.cnf -extensions ca -out ca.pem
    openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 \
      -aes-256-cbc -pass "file:$password_file" -out signer-key.pem
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
