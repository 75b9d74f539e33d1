// A registry that fails a chosen call: fault injection for the code that
// must leave the registry, or a file, whole whichever call fails.
#pragma once

#include <cstdint>

#include "tests/support/forwarding_registry.h"

namespace veltrane::testing {

// Fails one call, the `failAt`th (1 first), with 1013; every other call
// passes. With `failFrom`, every call from that one on fails instead.
class FailingRegistry final : public ForwardingRegistry {
 public:
  FailingRegistry(RegistryApi& inner, std::uint64_t failAt, bool failFrom = false)
      : ForwardingRegistry(inner), failAt_(failAt), failFrom_(failFrom) {}

  std::uint64_t calls = 0;
  bool failed = false;

#define VELTRANE_FAILABLE(signature, call) \
  long signature override {                \
    if (Fails()) return kErrorCantWrite;   \
    return ForwardingRegistry::call;       \
  }
  VELTRANE_FAILABLE(OpenKeyEx(RegKey p, const std::string& s, std::uint32_t a, RegKey* r),
                    OpenKeyEx(p, s, a, r))
  VELTRANE_FAILABLE(CreateKeyEx(RegKey p, const std::string& s, std::uint32_t a, RegKey* r,
                                std::uint32_t* d),
                    CreateKeyEx(p, s, a, r, d))
  VELTRANE_FAILABLE(QueryInfoKey(RegKey k, KeyInfo* i), QueryInfoKey(k, i))
  VELTRANE_FAILABLE(EnumKey(RegKey k, std::uint32_t i, char* n, std::uint32_t* l),
                    EnumKey(k, i, n, l))
  VELTRANE_FAILABLE(EnumValue(RegKey k, std::uint32_t i, char* n, std::uint32_t* l,
                              std::uint32_t* t, std::uint8_t* d, std::uint32_t* s),
                    EnumValue(k, i, n, l, t, d, s))
  VELTRANE_FAILABLE(QueryValue(RegKey k, const std::string& n, std::uint32_t* t, std::uint8_t* d,
                               std::uint32_t* s),
                    QueryValue(k, n, t, d, s))
  VELTRANE_FAILABLE(SetValue(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d,
                             std::uint32_t s),
                    SetValue(k, n, t, d, s))
  VELTRANE_FAILABLE(DeleteValue(RegKey k, const std::string& n), DeleteValue(k, n))
  VELTRANE_FAILABLE(DeleteKey(RegKey p, const std::string& s), DeleteKey(p, s))
#undef VELTRANE_FAILABLE

 private:
  bool Fails() {
    ++calls;
    const bool fails = failFrom_ ? calls >= failAt_ : calls == failAt_;
    failed = failed || fails;
    return fails;
  }
  std::uint64_t failAt_;
  bool failFrom_;
};

}  // namespace veltrane::testing
