// A registry in which one root key stands for another key: every call made
// on the root goes to the stand-in. Tests and benchmarks use it to run the
// checks on a throwaway key of the real registry as if it were
// HKEY_CURRENT_USER, leaving the real one alone.
#pragma once

#include "registry/registry_api.h"
#include "tests/support/forwarding_registry.h"

namespace veltrane::testing {

class RebasedRegistry final : public ForwardingRegistry {
 public:
  RebasedRegistry(RegistryApi& inner, RegKey root, RegKey standIn)
      : ForwardingRegistry(inner), root_(root), standIn_(standIn) {}

  // The stand-in belongs to whoever made it; closing the root closes nothing.
  long CloseKey(RegKey key) override {
    return key == root_ ? kErrorSuccess : ForwardingRegistry::CloseKey(key);
  }

 protected:
  RegKey Map(RegKey key) const override { return key == root_ ? standIn_ : key; }

 private:
  RegKey root_;
  RegKey standIn_;
};

}  // namespace veltrane::testing
