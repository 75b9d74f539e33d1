#include "app/work_pacer.h"

#include <utility>

namespace veltrane {

WorkPacer::WorkPacer(const CommandGate& gate, std::function<void()> handleMessages)
    : gate_(gate), handleMessages_(std::move(handleMessages)) {}

void WorkPacer::Tick() {
  if (handling_ || !gate_.Busy()) return;
  const ULONGLONG now = GetTickCount64();
  if (now - last_ < kIntervalMs) return;
  struct Handling {
    bool& flag;
    explicit Handling(bool& f) : flag(f) { flag = true; }
    ~Handling() { flag = false; }
  } handling(handling_);
  handleMessages_();
  // The interval counts work, not the time the messages took.
  last_ = GetTickCount64();
}

long PacedRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  pacer_.Tick();
  return inner_.OpenKey(parent, subkey, result);
}

long PacedRegistry::OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                              RegKey* result) {
  pacer_.Tick();
  return inner_.OpenKeyEx(parent, subkey, access, result);
}

long PacedRegistry::CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                                RegKey* result, std::uint32_t* disposition) {
  pacer_.Tick();
  return inner_.CreateKeyEx(parent, subkey, access, result, disposition);
}

long PacedRegistry::QueryInfoKey(RegKey key, KeyInfo* info) {
  pacer_.Tick();
  return inner_.QueryInfoKey(key, info);
}

long PacedRegistry::EnumKey(RegKey key, std::uint32_t index, char* name,
                            std::uint32_t* nameLength) {
  pacer_.Tick();
  return inner_.EnumKey(key, index, name, nameLength);
}

long PacedRegistry::EnumValue(RegKey key, std::uint32_t index, char* name,
                              std::uint32_t* nameLength, std::uint32_t* type, std::uint8_t* data,
                              std::uint32_t* dataSize) {
  pacer_.Tick();
  return inner_.EnumValue(key, index, name, nameLength, type, data, dataSize);
}

long PacedRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* dataSize) {
  pacer_.Tick();
  return inner_.QueryValue(key, name, type, data, dataSize);
}

long PacedRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  pacer_.Tick();
  return inner_.SetValue(key, name, type, data, size);
}

long PacedRegistry::DeleteValue(RegKey key, const std::string& name) {
  pacer_.Tick();
  return inner_.DeleteValue(key, name);
}

long PacedRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  pacer_.Tick();
  return inner_.DeleteKey(parent, subkey);
}

long PacedRegistry::CloseKey(RegKey key) {
  pacer_.Tick();
  return inner_.CloseKey(key);
}

bool PacedFileProbe::FileExists(const std::string& path) {
  pacer_.Tick();
  return inner_.FileExists(path);
}

bool PacedFileProbe::FolderExists(const std::string& path) {
  pacer_.Tick();
  return inner_.FolderExists(path);
}

}  // namespace veltrane
