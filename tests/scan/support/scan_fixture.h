// A scan context over an in-memory registry and file system, with a
// recording host, the way the native tests use it.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/memory_registry.h"
#include "scan/memory_file_system.h"
#include "scan/scan_context.h"
#include "tests/support/findings.h"
#include "tests/support/recording_host.h"
#include "tests/support/registry_seed.h"

namespace veltrane::testing {

class ScanFixture : public ::testing::Test {
 protected:
  ScanFixture() : context(registry, files, host, lvax, lv2, "C:\\") {
    // The disk: a few things that exist; everything else is missing.
    files.AddFolder("C:\\");
    files.AddFolder("C:\\Windows");
    files.AddFile("C:\\Tools\\x.dll");
    files.AddFile("C:\\Bin\\dcc.exe");
    files.AddFile("C:\\Program Files\\App\\app.exe");
  }

  void TearDown() override { EXPECT_EQ(registry.OpenHandleCount(), 0u) << "a key was left open"; }

  MemoryRegistry registry;
  MemoryFileSystem files;
  RecordingHost host;
  FindingsList lvax;
  FindingsList lv2;
  ScanContext context;
  RegistrySeed seed{registry};
};

}  // namespace veltrane::testing
