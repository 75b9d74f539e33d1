// Keeping the windows answering while long work runs on the interface
// thread. The scan, the backup export, the clean and the restore let
// waiting messages be handled at their own points, but between those a
// single key, a whole export or an import can run for seconds. WorkPacer
// lets messages be handled whenever about 50 ms of such work have passed;
// the work reaches it through the registry and the file probe, which every
// step of it calls (PacedRegistry, PacedFileProbe).
//
// It acts only while the command gate says a scan, a clean or a restore
// runs, which is also what keeps those commands from starting inside one
// another meanwhile.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/command_gate.h"
#include "registry/registry_api.h"
#include "scan/file_probe.h"

namespace veltrane {

class WorkPacer {
 public:
  static constexpr ULONGLONG kIntervalMs = 50;

  // `handleMessages` shows what is pending and handles the waiting
  // messages.
  WorkPacer(const CommandGate& gate, std::function<void()> handleMessages);

  // From the work: handles the waiting messages when they are due. Not
  // again from inside that handling (a modal dialog opened there runs its
  // own loop).
  void Tick();

 private:
  const CommandGate& gate_;
  std::function<void()> handleMessages_;
  ULONGLONG last_ = 0;
  bool handling_ = false;
};

// The registry, with the pacer's tick before every call.
class PacedRegistry final : public RegistryApi {
 public:
  PacedRegistry(RegistryApi& inner, WorkPacer& pacer) : inner_(inner), pacer_(pacer) {}

  long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  long OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                 RegKey* result) override;
  long CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access, RegKey* result,
                   std::uint32_t* disposition) override;
  long QueryInfoKey(RegKey key, KeyInfo* info) override;
  long EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength) override;
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* dataSize) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long CloseKey(RegKey key) override;

 private:
  RegistryApi& inner_;
  WorkPacer& pacer_;
};

// The file probe, with the pacer's tick before every lookup.
class PacedFileProbe final : public FileProbe {
 public:
  PacedFileProbe(FileProbe& inner, WorkPacer& pacer) : inner_(inner), pacer_(pacer) {}
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;

 private:
  FileProbe& inner_;
  WorkPacer& pacer_;
};

}  // namespace veltrane
