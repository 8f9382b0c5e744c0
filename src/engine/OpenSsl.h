#pragma once

#include <QString>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

// The OpenSSL functions that TLS connections use, looked up in the library
// when the first https:// connection is made: a program run that never
// speaks TLS does not load it (a millisecond at every start, and more than a
// megabyte of memory). The declarations of OpenSSL's headers give each its
// type; a function is called through its member of the same name.
#define KEVA_OPENSSL_FUNCTIONS(F)                                                                                      \
    F(BIO_clear_flags)                                                                                                 \
    F(BIO_free)                                                                                                        \
    F(BIO_get_data)                                                                                                    \
    F(BIO_get_new_index)                                                                                               \
    F(BIO_meth_new)                                                                                                    \
    F(BIO_meth_set_create)                                                                                             \
    F(BIO_meth_set_ctrl)                                                                                               \
    F(BIO_meth_set_read)                                                                                               \
    F(BIO_meth_set_write)                                                                                              \
    F(BIO_new)                                                                                                         \
    F(BIO_new_mem_buf)                                                                                                 \
    F(BIO_set_data)                                                                                                    \
    F(BIO_set_flags)                                                                                                   \
    F(BIO_set_init)                                                                                                    \
    F(CRYPTO_get_ex_new_index)                                                                                         \
    F(ERR_clear_error)                                                                                                 \
    F(ERR_peek_last_error)                                                                                             \
    F(ERR_reason_error_string)                                                                                         \
    F(PEM_read_bio_X509)                                                                                               \
    F(SSL_CTX_ctrl)                                                                                                    \
    F(SSL_CTX_free)                                                                                                    \
    F(SSL_CTX_get_cert_store)                                                                                          \
    F(SSL_CTX_new)                                                                                                     \
    F(SSL_CTX_set_options)                                                                                             \
    F(SSL_ctrl)                                                                                                        \
    F(SSL_do_handshake)                                                                                                \
    F(SSL_free)                                                                                                        \
    F(SSL_get0_param)                                                                                                  \
    F(SSL_get_error)                                                                                                   \
    F(SSL_get_ex_data)                                                                                                 \
    F(SSL_get_ex_data_X509_STORE_CTX_idx)                                                                              \
    F(SSL_new)                                                                                                         \
    F(SSL_peek)                                                                                                        \
    F(SSL_pending)                                                                                                     \
    F(SSL_read)                                                                                                        \
    F(SSL_set_bio)                                                                                                     \
    F(SSL_set_connect_state)                                                                                           \
    F(SSL_set_ex_data)                                                                                                 \
    F(SSL_set_verify)                                                                                                  \
    F(SSL_write)                                                                                                       \
    F(TLS_client_method)                                                                                               \
    F(X509_LOOKUP_ctrl)                                                                                                \
    F(X509_LOOKUP_hash_dir)                                                                                            \
    F(X509_STORE_CTX_get_error)                                                                                        \
    F(X509_STORE_CTX_get_ex_data)                                                                                      \
    F(X509_STORE_add_cert)                                                                                             \
    F(X509_STORE_add_lookup)                                                                                           \
    F(X509_VERIFY_PARAM_set1_host)                                                                                     \
    F(X509_VERIFY_PARAM_set1_ip_asc)                                                                                   \
    F(X509_VERIFY_PARAM_set_hostflags)                                                                                 \
    F(X509_free)                                                                                                       \
    F(X509_get_default_cert_dir)                                                                                       \
    F(X509_get_default_cert_dir_env)                                                                                   \
    F(X509_verify_cert_error_string)

class OpenSsl {
public:
    // The functions, loaded at the first call; null when the library or one
    // of them could not be loaded, and then `problem` (when given) says why.
    static const OpenSsl* load(QString* problem = nullptr);
    // The functions, for code that runs only once load() has succeeded.
    static const OpenSsl& loaded();

#define KEVA_OPENSSL_POINTER(name) decltype(&::name) name = nullptr;
    KEVA_OPENSSL_FUNCTIONS(KEVA_OPENSSL_POINTER)
#undef KEVA_OPENSSL_POINTER
};
