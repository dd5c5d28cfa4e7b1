#pragma once
// The body of every fuzz target: one plain function each, so the libFuzzer programs and the
// replay test run exactly the same code. A broken invariant aborts through FUZZ_CHECK.

#include <cstddef>
#include <cstdint>

// Base64 decoding and Base64url conversion of arbitrary text.
void fuzzBase64(const std::uint8_t* data, std::size_t size);
// The input as the remote configuration's server-list text.
void fuzzServerList(const std::uint8_t* data, std::size_t size);
// The input as the settings file, loaded by the settings store.
void fuzzAppSettingConfig(const std::uint8_t* data, std::size_t size);
// The input as the remote-configuration file, loaded by the remote configuration.
void fuzzRemoteConfig(const std::uint8_t* data, std::size_t size);
// The input as a pasted setting code, and as the payload of a code signed with a test key.
void fuzzSettingCode(const std::uint8_t* data, std::size_t size);
// The input as PEM public key text and as DER.
void fuzzPublicKey(const std::uint8_t* data, std::size_t size);
// The input as the private cloud service's answer to an enterprise code.
void fuzzPrivateCloudAnswer(const std::uint8_t* data, std::size_t size);
// The input as the JSON text the page passes with a notice.
void fuzzPageNotice(const std::uint8_t* data, std::size_t size);
// The input's lines as a page download's address path, Content-Disposition and ShowName.
void fuzzDownloadName(const std::uint8_t* data, std::size_t size);
// The input as a bundle's Localizable.strings table.
void fuzzStringTable(const std::uint8_t* data, std::size_t size);
// The input as the text of a page's bridge call after this run's marker.
void fuzzBridgeCall(const std::uint8_t* data, std::size_t size);
